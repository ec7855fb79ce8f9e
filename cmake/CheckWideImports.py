"""CheckWideImports.py FILE: fails when FILE imports a narrow (...A) function that passes text through the
system's code page, ordinary or delay-loaded; the allowlist below names each exception with its reason."""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from CheckImportSlots import Image, delay_descriptors, entries  # noqa: E402

# Narrow imports that pass no text of the program through the system's code page.
ALLOWED = {
    # The C runtime and its threads library: unnamed events and semaphores, ASCII debug strings, the
    # start-up record whose texts the program never reads.
    'CreateEventA': 'runtime: unnamed events only',
    'CreateSemaphoreA': 'runtime: unnamed semaphores only',
    'OutputDebugStringA': 'runtime: ASCII messages of its own',
    'GetStartupInfoA': 'runtime: only the window-show flags are read',
    'LoadLibraryA': 'runtime: the delay-load helper and libgcc load DLLs by fixed ASCII names',
    'GetModuleHandleA': 'runtime: libgcc looks up its own helper DLLs by fixed ASCII names',
}


# Imports with no A in their name that still read the system's code page. The profile functions read and
# write the file's text in it even in their wide forms; the program's own reader does that work.
SYSTEM_CODE_PAGE = {'IsDBCSLeadByte', 'GetACP', 'GetOEMCP'} | {
    prefix + name + 'W'
    for prefix, names in (('Get', ('PrivateProfileString', 'PrivateProfileInt', 'PrivateProfileSection',
                                   'PrivateProfileSectionNames', 'PrivateProfileStruct', 'ProfileString',
                                   'ProfileInt', 'ProfileSection')),
                          ('Write', ('PrivateProfileString', 'PrivateProfileSection', 'PrivateProfileStruct',
                                     'ProfileString', 'ProfileSection')))
    for name in names}


def imported_names(img, errors):
    rva, size = img.dirs[1]
    import struct
    while size:
        off = img.offset(rva, 20)
        if off is None:
            return
        ilt, _, _, name, iat = struct.unpack_from('<IIIII', img.data, off)
        if not (ilt or name or iat):
            return
        dll = img.string(name)
        dll = dll.decode('latin-1') if dll else '?'
        for _, _, func, _ in entries(img, dll, ilt or iat, iat, errors):
            if func:
                yield dll.lower(), func
        rva += 20
    for dll, iat, ilt in delay_descriptors(img).values():
        for _, _, func, _ in entries(img, dll, ilt, iat, errors):
            if func:
                yield dll, func


def is_narrow_text(func):
    # "...A" after a lower-case letter, a digit or "Ex"/"W"-style capitals: the narrow twin of a ...W function.
    return func in SYSTEM_CODE_PAGE or re.search(r'(?:[a-z0-9]|Ex|DC|ID)A$', func) is not None


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    with open(argv[1], 'rb') as f:
        img = Image(f.read())
    errors = []
    offenders = sorted(set('%s!%s' % (dll, func) for dll, func in imported_names(img, errors)
                           if is_narrow_text(func) and func not in ALLOWED))
    name = argv[1].rsplit('/', 1)[-1]
    if offenders:
        for entry in offenders:
            print('%s: imports %s, which reads text in the system code page' % (name, entry), file=sys.stderr)
        print('%s: %d narrow text import(s)' % (name, len(offenders)), file=sys.stderr)
        return 1
    print('%s: no narrow text imports' % name)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
