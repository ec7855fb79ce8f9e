# DownloadURL_socket against WinINet on a 4 KB loopback document (binds 127.0.0.1:80).
# HTTP_BENCH_RUNS sets the number of downloads each way.
"$QUILO_BUILD/wine-exec" --lock port80_127.0.0.1 "$QUILO_BUILD/tests/net/http_bench.exe" "${HTTP_BENCH_RUNS:-200}"
