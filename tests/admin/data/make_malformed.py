#!/usr/bin/python3
"""Writes the damaged register workbooks of the tests into malformed/ and the fuzzing seeds
into xls_corpus/. Run it again only to change them; its output is kept with the tests."""
import datetime
import io
import os
import struct
import zipfile

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
MALFORMED = os.path.join(HERE, 'malformed')
CORPUS = os.path.join(HERE, 'xls_corpus')


def register_workbook(rows=3):
    book = xlwt.Workbook(encoding='utf-8')
    sheet = book.add_sheet('Szervek')
    for c, text in enumerate(['TKOD', 'SZERVNEV', 'ROVIDNEV', 'IRSZ', 'TELEPULES', 'MINOSITETT']):
        sheet.write(0, c, text)
    for r in range(1, rows):
        sheet.write(r, 0, '%06d' % r)
        sheet.write(r, 1, 'Szerv %d' % r)
        sheet.write(r, 3, 1011)
        sheet.write(r, 5, r % 2)
    version = book.add_sheet('Verzio')
    version.write(1, 0, datetime.datetime(2012, 10, 16, 14, 5, 33),
                  xlwt.easyxf(num_format_str='yyyy.mm.dd. hh:mm:ss'))
    out = io.BytesIO()
    book.save(out)
    return bytearray(out.getvalue())


def find(data, pattern, nth=0):
    at = -1
    for _ in range(nth + 1):
        at = data.find(pattern, at + 1)
        if at < 0:
            raise SystemExit('pattern not found')
    return at


DIMENSIONS = b'\x00\x02\x0e\x00'  # record 0x0200, 14 bytes: first row, last row + 1, first column, last column + 1


def with_dimensions(data, nth, rows=None, columns=None):
    data = bytearray(data)
    at = find(data, DIMENSIONS, nth)
    if rows is not None:
        data[at + 8:at + 12] = struct.pack('<I', rows)
    if columns is not None:
        data[at + 14:at + 16] = struct.pack('<H', columns)
    return data


def with_file_pass(data):
    # The interface records after BOF make room for a FILEPASS record (XOR obfuscation).
    data = bytearray(data)
    interface = b'\xe1\x00\x02\x00\xb0\x04\xc1\x00\x02\x00\x00\x00\xe2\x00\x00\x00'
    at = find(data, interface)
    data[at:at + 16] = b'\x2f\x00\x06\x00\x00\x00\x34\x12\x78\x56' + b'\xe1\x00\x02\x00\xb0\x04'
    return data


def with_cell_in_column(data, column):
    # The first text cell of row 2 (LABELSST, record 0x00FD) moved far right.
    data = bytearray(data)
    at = find(data, b'\xfd\x00\x0a\x00\x01\x00\x00\x00')
    data[at + 6:at + 8] = struct.pack('<H', column)
    return data


def overwritten(data, offset, replacement):
    data = bytearray(data)
    data[offset:offset + len(replacement)] = replacement
    return data


def main():
    good = register_workbook()
    fat_sector = struct.unpack('<I', good[0x4c:0x50])[0]
    xlsx = io.BytesIO()
    with zipfile.ZipFile(xlsx, 'w') as archive:
        archive.writestr('[Content_Types].xml', '<Types/>')
        archive.writestr('xl/workbook.xml', '<workbook/>')
    files = {
        'password.xls': with_file_pass(good),
        'wide_columns.xls': with_dimensions(good, 0, columns=1000),
        'wide_cell.xls': with_cell_in_column(with_dimensions(good, 0, columns=1000), 999),
        'huge_dimensions.xls': with_dimensions(good, 0, rows=1000000),
        'wide_version_sheet.xls': with_dimensions(good, 1, columns=1000),
        'truncated_half.xls': good[:len(good) // 2],
        'truncated_header.xls': good[:512],
        'bad_signature.xls': overwritten(good, 4, b'\x00\x00\x00\x00'),
        'bad_fat.xls': overwritten(good, 512 + fat_sector * 512, b'\xff' * 512),
        'bad_bof.xls': overwritten(good, 512, b'\x00\x00'),
        'text.xls': b'TKOD;SZERVNEV;ROVIDNEV;IRSZ;TELEPULES;MINOSITETT\n000001;Szerv;;1011;Budapest;1\n',
        'xlsx_renamed.xls': xlsx.getvalue(),
        'empty.xls': b'',
    }
    for name, data in files.items():
        with open(os.path.join(MALFORMED, name), 'wb') as out:
            out.write(data)
    with open(os.path.join(CORPUS, 'seed_register.xls'), 'wb') as out:
        out.write(good)


if __name__ == '__main__':
    main()
