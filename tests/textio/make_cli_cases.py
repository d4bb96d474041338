#!/usr/bin/env python3
"""Writes the inputs and expected files of the tests/cases/textio_* folders.

The expected ROM images are built here from the inputs alone, byte by byte, without the
program, so that the black-box runs compare the program against an independent answer.
Run it from anywhere; it rewrites in/ and expected/ of those case folders (cmd and stdout
are kept by hand).
"""
import os
import random
import struct

CASES = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'cases')

# Letters, digits, the space and "!" as themselves; 0x80..0x9F carry А..Я (Windows-1251
# 0xC0..0xDF). Every other byte has no character, and the filler is made of those only.
TABLE = {0x20: 0x20, 0x21: 0x21}
TABLE.update({c: c for c in range(0x30, 0x3A)})
TABLE.update({c: c for c in range(0x41, 0x5B)})
TABLE.update({c: 0xC0 + (c - 0x80) for c in range(0x80, 0xA0)})
ENCODE = {ch: code for code, ch in sorted(TABLE.items(), reverse=True)}
FILLER = [b for b in range(256) if b not in TABLE]


def table_file():
    lines = ['# test table: latin, digits, Cyrillic capitals at 80..9F']
    lines += ['%02X=%s' % (code, bytes([ch]).decode('cp1251')) for code, ch in sorted(TABLE.items())]
    return ('\r\n'.join(lines) + '\r\n').encode('cp1251')


def encode(text):
    return bytes(ENCODE[b] for b in text.encode('cp1251'))


def decode(data):
    return bytes(TABLE[b] for b in data)


def filler(rng, n):
    return bytes(rng.choice(FILLER) for _ in range(n))


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def roundtrip():
    """Extract, insert texts of the same lengths, extract again."""
    rng = random.Random(3)
    rom = bytearray(filler(rng, 2048))
    strings = {0: 'START SCREEN', 100: 'PRESS A', 513: 'GAME OVER!', 900: 'HP 99',
               1500: 'CONTINUE', 2048 - 6: 'THE END'.ljust(6)[:6]}
    changed = {0: 'ГЛАВНЫЙ ЭКРАН'[:12], 100: 'ЖМИ  A!', 513: 'КОНЕЦ ИГРЫ', 900: 'ЖЗ 42',
               1500: 'ДАЛЬШЕ..'.replace('.', '!'), 2048 - 6: 'КОНЕЦ!'}
    # A single text byte between filler bytes is too short to be a string.
    rom[1200] = 0x41
    for offset, text in strings.items():
        rom[offset:offset + len(text)] = encode(text)
    out = bytearray(rom)
    for offset, text in changed.items():
        assert len(text) == len(strings[offset]), text
        out[offset:offset + len(text)] = encode(text)
    case = os.path.join(CASES, 'textio_roundtrip')

    def report(image):
        return b''.join(b'%d ' % (o + 1) + decode(image[o:o + len(strings[o])]) + b'\r\n'
                        for o in sorted(strings))

    write(os.path.join(case, 'in'), 'rom.gb', rom)
    write(os.path.join(case, 'in'), 't.tbl', table_file())
    lines = [b'%d ' % (o + 1) + changed[o].encode('cp1251') for o in sorted(changed)]
    write(os.path.join(case, 'in'), 'changed.txt', b'\r\n'.join(lines) + b'\r\n')
    write(os.path.join(case, 'expected'), 'before.txt', report(rom))
    write(os.path.join(case, 'expected'), 'after.txt', report(out))
    write(os.path.join(case, 'expected'), 'out.gb', out)


def gba_pointer(address):
    return struct.pack('<I', 0x08000000 + address - 1)


def packed_move(rom, strings, translation, shift):
    """The image and lines after packing behind the first string and moving by shift."""
    out = bytearray(rom)
    address = strings[0][0] + 1
    new_lines = []
    for text in translation:
        out[address + shift - 1:address + shift - 1 + len(text)] = encode(text)
        new_lines.append(b'%d ' % (address + shift) + text.encode('cp1251'))
        address += len(text) + 1
    return out, new_lines


def write_shifted_case(name, extension, rom, out, strings, translation):
    case = os.path.join(CASES, name)
    write(os.path.join(case, 'in'), 'game.' + extension, rom)
    write(os.path.join(case, 'in'), 't.tbl', table_file())
    lines = [b'%d ' % (o + 1) + t.encode('cp1251') for (o, _), t in zip(strings, translation)]
    write(os.path.join(case, 'in'), 'ru.txt', b'\r\n'.join(lines))
    write(os.path.join(case, 'expected'), 'out.' + extension, out)
    return case


def shifted_gba():
    """Pack, move by &H40, correct the pointers, then look the pointers up."""
    rng = random.Random(5)
    rom = bytearray(filler(rng, 1024))
    strings = [(0x100, 'HELLO'), (0x110, 'WORLD'), (0x120, 'BYE')]
    translation = ['ПРИВЕТ', 'МИР', 'ПОКА!']
    for offset, text in strings:
        rom[offset:offset + len(text) + 1] = encode(text) + b'\x00'
    # A pointer table at 0x200 and a second pointer to WORLD at an odd offset.
    pointer_places = [(0x200, 0), (0x204, 1), (0x208, 2), (0x301, 1)]
    for place, index in pointer_places:
        rom[place:place + 4] = gba_pointer(strings[index][0] + 1)
    out, new_lines = packed_move(rom, strings, translation, 0x40)
    for place, index in pointer_places:
        new_address = int(new_lines[index].split(b' ')[0])
        out[place:place + 4] = gba_pointer(new_address)
    case = write_shifted_case('textio_shifted_gba', 'gba', rom, out, strings, translation)
    write(os.path.join(case, 'expected'), 'shifted.txt', b'\r\n'.join(new_lines))


def gb_pointer(offset):
    return struct.pack('<H', offset if offset < 0x4000 else 0x4000 + offset % 0x4000)


def shifted_gb():
    """Pack, move by &H40 inside bank 2, correct the Game Boy pointers of two tables."""
    rng = random.Random(6)
    rom = bytearray(filler(rng, 3 * 0x4000))
    strings = [(0x8100, 'HELLO'), (0x8110, 'WORLD'), (0x8120, 'BYE')]
    translation = ['ПРИВЕТ', 'МИР', 'ПОКА!']
    for offset, text in strings:
        rom[offset:offset + len(text) + 1] = encode(text) + b'\x00'
    # A table at the start of bank 2 and one in bank 0 that names bank 2; the last entry
    # of each points at no line and stays.
    pointer_places = [(0x8000, 0), (0x8002, 1), (0x8004, 2), (0x0200, 2), (0x0202, 0)]
    for place, index in pointer_places:
        rom[place:place + 2] = gb_pointer(strings[index][0])
    rom[0x8006:0x8008] = b'\x00\x7f'
    rom[0x0204:0x0206] = b'\x10\x01'
    out, new_lines = packed_move(rom, strings, translation, 0x40)
    for place, index in pointer_places:
        out[place:place + 2] = gb_pointer(int(new_lines[index].split(b' ')[0]) - 1)
    write_shifted_case('textio_shifted_gb', 'gb', rom, out, strings, translation)


roundtrip()
shifted_gba()
shifted_gb()
