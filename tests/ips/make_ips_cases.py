# Writes the ips_* folders under tests/cases: the patches with a writer of its own and the
# expected images and files by the format's rules, independently of the program, so the
# batch runner is checked against something it shares no code with.
#   python3 tests/ips/make_ips_cases.py
import os, shutil
root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'cases')
def rec(off, data): return bytes([off>>16&255, off>>8&255, off&255, len(data)>>8, len(data)&255]) + data
def rle(off, n, v): return bytes([off>>16&255, off>>8&255, off&255, 0, 0, n>>8, n&255, v])
def case(name, cmd, files, expected, stdout, status=None):
    d = os.path.join(root, name)
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d + '/in'); os.makedirs(d + '/expected')
    open(d + '/cmd', 'w', encoding='utf-8').write('\n'.join(cmd) + '\n')
    for n, b in files.items(): open(d + '/in/' + n, 'wb').write(b)
    for n, b in expected.items(): open(d + '/expected/' + n, 'wb').write(b)
    open(d + '/stdout', 'w', encoding='utf-8').write(''.join(l + '\n' for l in stdout))
    if status is not None: open(d + '/status', 'w').write(str(status) + '\n')

# 1. apply: a data record, a run-length record, a record past the end, then the size after
# EOF, which cuts the patched file to its first 5 bytes once every record is written
rom = b'ABCDEFGHIJKLMNOPQRST'
patch = b'PATCH' + rec(2, b'xy') + rle(10, 3, ord('#')) + rec(24, b'end') + b'EOF' + b'\x00\x00\x05'
out = bytearray(rom); out[2:4] = b'xy'; out[10:13] = b'###'; out += b'    end'; out = out[:5]
case('ips_apply_records',
     ['--set', 'InputRomFileName=rom.gb', 'LoadRom', '--set', 'IPSFileName=p.ips', 'LoadIps', 'ApplyIps',
      '--set', 'OutputRomFileName=out.gb', 'SaveRom'],
     {'rom.gb': rom, 'p.ips': patch}, {'out.gb': bytes(out)},
     ['Загрузили ROM: rom.gb', 'Загрузили IPS: p.ips', 'Размер ROM задан IPS файлом: 5 байт',
      'Применили изменения из IPS файла: p.ips к ROM файлу: rom.gb', 'ROM сохранен в out.gb'])

# 2. generate from a translation and save
tbl = ''.join('%02X=%s\r\n' % (0x80 + i, chr(65 + i)) for i in range(26)).encode('cp1251') + b'20= \r\n'
def enc(s): return bytes(0x80 + ord(c) - 65 if 'A' <= c <= 'Z' else (0x20 if c == ' ' else ord(c)) for c in s)
lines = ['&H101 HELLO WORLD', '0 NOT HERE', 'no-space-line', '300 A<$21>B', '&H454F47 EOF', '512 ']
tr = '\r\n'.join(lines).encode('cp1251')
ips = b'PATCH' + rec(0x100, enc('HELLO WORLD')) + rec(299, enc('A') + b'\x21' + enc('B')) + b'EOF'
case('ips_generate_save',
     ['--set', 'TableFileName=t.tbl', 'LoadTable', '--set', 'PerevodFileName=tr.txt', 'LoadPerevod',
      'GenerateIpsFromPerevod', '--set', 'OutputIPSFileName=out.ips', 'SaveIpsAs'],
     {'t.tbl': tbl, 'tr.txt': tr}, {'out.ips': ips},
     ['Загрузили таблицу :t.tbl', 'Файл перевода tr.txt загружен,  6 строк',
      'пропустили строку перевода с адресом 0: адрес должен быть от 1 до 16777216, в IPS такой не записать',
      'ПРЕДУПРЕЖДЕНИЕ: в файле перевода найдены символы, которых нет в таблице перекодировки, такие символы войдут в IPS БЕЗ перекодирования!(это может испортить ROM)',
      'пропустили строку перевода с адресом &H454F47: запись по смещению 454F46 читается как конец IPS ("EOF")',
      'пропустили строку перевода с адресом 512: пустой текст в IPS не записать',
      'Сгенерировали IPS из перевода', 'IPS сохранен в out.ips'])

# 3. Magic IPS of a 1000-byte ROM in 7 pieces, applied to another file of that length
rom = bytes((i * 37 + 11) % 256 for i in range(1000))
P = 1000 // 7
magic = b'PATCH' + b''.join(rec(k * P, rom[k * P:(k + 1) * P]) for k in range(7)) + rec(7 * P, rom[7 * P:]) + b'EOF'
case('ips_magic_roundtrip',
     ['--set', 'InputRomFileName=rom.gb', '--set', 'magicIterator=7', 'MakeMagicIps',
      '--set', 'OutputIPSFileName=magic.ips', 'SaveIpsAs',
      '--set', 'InputRomFileName=other.gb', 'LoadRom', 'ApplyIps', '--set', 'OutputRomFileName=back.gb', 'SaveRom'],
     {'rom.gb': rom, 'other.gb': b'\xff' * 1000}, {'magic.ips': magic, 'back.gb': rom},
     ['Загрузили ROM: rom.gb', 'Сгенерировали Magic IPS для ROM файла rom.gb', 'IPS сохранен в magic.ips',
      'Загрузили ROM: other.gb', 'Применили изменения из IPS файла:  к ROM файлу: other.gb', 'ROM сохранен в back.gb'])

# 4. text from a patch: HELLO at 0x100, a short run, a run-length record
patch = (b'PATCH' + rec(0x100, enc('HELLO')) + rec(0x200, b'\x01' + enc('AB') + b'\x02' + enc('CDE'))
         + rle(0x300, 40, 0x80) + b'EOF')
case('ips_extract_text',
     ['--set', 'TableFileName=t.tbl', 'LoadTable', '--set', 'IPSFileName=p.ips', 'LoadIps',
      '--set', 'NumberOfTextChars=3', '--set', 'ReportFileName=rep.txt', 'ExtractTextFromIps'],
     {'t.tbl': tbl, 'p.ips': patch}, {'rep.txt': b'257 HELLO\r\n517 CDE\r\n'},
     ['Загрузили таблицу :t.tbl', 'Загрузили IPS: p.ips', 'Вынули текст из IPS файла: p.ips в файл: rep.txt'])

# 5. refusals: a missing patch fails the run; applying nothing is refused
case('ips_missing_patch',
     ['--set', 'IPSFileName=missing.ips', 'LoadIps', 'ApplyIps', 'ExtractTextFromIps'],
     {}, {},
     ['[MSG] IPS Файл / не найден :-(', '[MSG] IPS файл не загружен', 'IPS файл не загружен',
      '[MSG] IPS файл не загружен', 'IPS файл не загружен'], status=1)

# 6. many records of both kinds, overlapping, some past the end, from a seeded generator
import random
rnd = random.Random(5)
rom = bytes(rnd.randrange(256) for _ in range(4096))
out = bytearray(rom)
body = b''
for i in range(60):
    off = rnd.randrange(4600)
    if rnd.random() < 0.3:
        n, v = rnd.randrange(1, 400), rnd.randrange(256)
        body += rle(off, n, v); data = bytes([v]) * n
    else:
        data = bytes(rnd.randrange(256) for _ in range(rnd.randrange(1, 300)))
        body += rec(off, data)
    if off + len(data) > len(out): out += b' ' * (off + len(data) - len(out))
    out[off:off + len(data)] = data
case('ips_apply_many_records',
     ['--set', 'InputRomFileName=rom.gb', 'LoadRom', '--set', 'IPSFileName=many.ips', 'LoadIps', 'ApplyIps',
      '--set', 'OutputRomFileName=out.gb', 'SaveRom'],
     {'rom.gb': rom, 'many.ips': b'PATCH' + body + b'EOF'}, {'out.gb': bytes(out)},
     ['Загрузили ROM: rom.gb', 'Загрузили IPS: many.ips',
      'Применили изменения из IPS файла: many.ips к ROM файлу: rom.gb', 'ROM сохранен в out.gb'])
