#!/usr/bin/env python3
"""CheckImportSlots.py FILE [--map LINK_MAP]

Fails when an import slot of the PE file FILE is unresolved in the file: an ordinary import whose address
slot is zero or names nothing, or a delay-load import whose slot does not point into executable code (the
loader calls through it before the DLL is loaded). GNU ld leaves the delay import directory of the header
empty, so the delay descriptors are found by their shape; with --map, every DLL that the link map shows as
delay-loaded must be among them.
"""
import re
import struct
import sys

SCN_CODE, SCN_EXECUTE = 0x20, 0x20000000


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b'MZ':
            raise ValueError('not an MZ file')
        pe = struct.unpack_from('<I', data, 0x3C)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise ValueError('no PE signature')
        nsec, = struct.unpack_from('<H', data, pe + 6)
        optsize, = struct.unpack_from('<H', data, pe + 20)
        opt = pe + 24
        magic, = struct.unpack_from('<H', data, opt)
        if magic == 0x10B:
            self.ptr, self.base = 4, struct.unpack_from('<I', data, opt + 28)[0]
            dirs = opt + 96
        elif magic == 0x20B:
            self.ptr, self.base = 8, struct.unpack_from('<Q', data, opt + 24)[0]
            dirs = opt + 112
        else:
            raise ValueError('unknown optional header')
        self.dirs = [struct.unpack_from('<II', data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsec):
            s = opt + optsize + 40 * i
            vsize, va, rawsize, raw = struct.unpack_from('<IIII', data, s + 8)
            flags, = struct.unpack_from('<I', data, s + 36)
            self.sections.append((va, max(vsize, rawsize), raw, rawsize, flags))

    def section(self, rva):
        for sec in self.sections:
            if sec[0] <= rva < sec[0] + sec[1]:
                return sec
        return None

    def offset(self, rva, size=1):
        sec = self.section(rva)
        if sec is None or rva + size > sec[0] + sec[3]:
            return None
        return sec[2] + rva - sec[0]

    def word(self, rva):
        off = self.offset(rva, self.ptr)
        if off is None:
            return None
        return struct.unpack_from('<I' if self.ptr == 4 else '<Q', self.data, off)[0]

    def string(self, rva, limit=512):
        off = self.offset(rva)
        if off is None:
            return None
        end = self.data.find(b'\0', off, off + limit)
        return None if end < 0 else self.data[off:end]

    def name_entry(self, entry):
        """The function an import-name-table entry names, or None when it names nothing."""
        if entry >> (self.ptr * 8 - 1):
            return '#%d' % (entry & 0xFFFF)
        name = self.string(entry + 2)
        return name.decode('latin-1') if name else None


def entries(img, label, names, iat, errors):
    """(index, name-table entry, function named or None, address slot) of each import of a name table."""
    for i in range(100000):
        entry = img.word(names + i * img.ptr)
        if entry is None:
            errors.append('%s: name table runs out of the file' % label)
            return
        if entry == 0:
            return
        yield i, entry, img.name_entry(entry), img.word(iat + i * img.ptr)


def check_imports(img, errors):
    rva, size = img.dirs[1]
    count = 0
    while size:
        off = img.offset(rva, 20)
        if off is None:
            errors.append('import directory at %#x lies outside the file' % rva)
            return count
        ilt, stamp, _, name, iat = struct.unpack_from('<IIIII', img.data, off)
        if not (ilt or name or iat):
            break
        dll = img.string(name)
        dll = dll.decode('latin-1') if dll else '?'
        for i, entry, func, slot in entries(img, dll, ilt or iat, iat, errors):
            if func is None:
                errors.append('%s: import %d names nothing' % (dll, i))
            elif not slot or (stamp == 0 and slot != entry):
                errors.append('%s!%s: address slot is %s' % (dll, func, 'empty' if not slot else hex(slot)))
            count += 1
        rva += 20
    return count


def delay_descriptors(img):
    """The 32-byte delay-load descriptors (RVA-based, as dlltool and MSVC write them) found in the image."""
    rva, size = img.dirs[13]
    found = {}
    candidates = []
    if size:
        candidates = [rva + 32 * i for i in range(size // 32)]
    else:
        for va, _, raw, rawsize, _ in img.sections:
            candidates.extend(va + o for o in range(0, rawsize - 31, 4)
                              if img.data[raw + o:raw + o + 4] == b'\1\0\0\0')
    for at in candidates:
        off = img.offset(at, 32)
        if off is None:
            continue
        attrs, name, hmod, iat, ilt, bound, unload, stamp = struct.unpack_from('<8I', img.data, off)
        if attrs != 1 or stamp or not (name and hmod and iat and ilt):
            continue
        if iat % img.ptr or ilt % img.ptr or img.section(hmod) is None:
            continue
        dll = img.string(name, 64)
        if not dll or not re.fullmatch(rb'[A-Za-z0-9_.\-]+\.dll', dll, re.I):
            continue
        found[at] = (dll.decode().lower(), iat, ilt)
    return found


def check_delay_imports(img, errors):
    found = delay_descriptors(img)
    count = 0
    for dll, iat, ilt in found.values():
        for i, _, func, slot in entries(img, dll + ' (delay-loaded)', ilt, iat, errors):
            target = img.section(slot - img.base) if slot and slot >= img.base else None
            if func is None:
                errors.append('%s (delay-loaded): import %d names nothing' % (dll, i))
            elif target is None or not target[4] & (SCN_CODE | SCN_EXECUTE):
                errors.append('%s!%s (delay-loaded): %s' % (dll, func, 'slot %#x leads to no load thunk' % slot
                                                             if slot else 'slot is empty'))
            count += 1
    return count, sorted(set(d for d, _, _ in found.values()))


def main(argv):
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != '--map'):
        sys.exit(__doc__)
    path = argv[1]
    with open(path, 'rb') as f:
        img = Image(f.read())
    errors = []
    imports = check_imports(img, errors)
    delayed, dlls = check_delay_imports(img, errors)
    if len(argv) == 4:
        with open(argv[3], errors='replace') as f:
            expected = set(m.lower() + '.dll' for m in re.findall(r'delayimp/lib(\w+?)_delay\.a\(', f.read()))
        for dll in sorted(expected - set(dlls)):
            errors.append('%s is delay-loaded by the link, but the file has no descriptor for it' % dll)
    if errors:
        for e in errors[:40]:
            print('%s: %s' % (path, e), file=sys.stderr)
        print('%s: %d unresolved import slot(s)' % (path, len(errors)), file=sys.stderr)
        return 1
    print('%s: %d import slots and %d delay-load slots (%s) resolved'
          % (path.rsplit('/', 1)[-1], imports, delayed, ', '.join(dlls) or 'none'))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
