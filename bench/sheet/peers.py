#!/usr/bin/python3
"""The Python peers of bench_sheet: the same 10,000 rows x 8 cells (Chinese text and
numbers, font 宋体 9, column widths) written and read back with xlwt/xlrd (.xls) and
openpyxl (.xlsx). Prints one line per measurement: "<name> <seconds>" or
"<name> missing" when the module is not installed.

    /usr/bin/python3 peers.py ROWS FOLDER
"""
import os
import sys
import time

ROWS = int(sys.argv[1])
FOLDER = sys.argv[2]
TITLES = ["代号", "名称", "刊期", "单价", "份数", "款额", "出版地", "备注"]
WIDTHS = [10, 30, 8, 10, 8, 12, 12, 20]


def row(r):
    return ["%d-%03d" % (r // 1000 + 1, r % 1000), "人民日报海外版第%d期" % r, "日刊", 1.5 + r % 100,
            r % 9 + 1, (1.5 + r % 100) * (r % 9 + 1), "北京市", "邮局订阅" if r % 2 else "自办发行"]


def measure(name, work):
    start = time.perf_counter()
    work()
    print(name, "%.4f" % (time.perf_counter() - start), flush=True)


def xls_peer():
    try:
        import xlrd
        import xlwt
    except ImportError:
        print("xlwt-write missing")
        print("xlrd-read missing")
        return
    path = os.path.join(FOLDER, "peer.xls")

    def write():
        book = xlwt.Workbook(encoding="utf-8")
        sheet = book.add_sheet("报刊")
        style = xlwt.easyxf("font: name 宋体, height 180")
        text = xlwt.easyxf("font: name 宋体, height 180", num_format_str="@")
        for c, (title, width) in enumerate(zip(TITLES, WIDTHS)):
            sheet.write(0, c, title, style)
            sheet.col(c).width = 256 * width
        for r in range(1, ROWS + 1):
            values = row(r)
            sheet.write(r, 0, values[0], text)
            for c in range(1, 8):
                sheet.write(r, c, values[c], style)
        book.save(path)

    def read():
        book = xlrd.open_workbook(path, formatting_info=True)
        sheet = book.sheet_by_index(0)
        total = 0
        for r in range(sheet.nrows):
            for value in sheet.row_values(r):
                if isinstance(value, float):
                    total += value
        return total

    measure("xlwt-write", write)
    measure("xlrd-read", read)


def xlsx_peer():
    try:
        import openpyxl
        from openpyxl.styles import Font
    except ImportError:
        print("openpyxl-write missing")
        print("openpyxl-read missing")
        return
    path = os.path.join(FOLDER, "peer.xlsx")

    def write():
        book = openpyxl.Workbook()
        sheet = book.active
        sheet.title = "报刊"
        font = Font(name="宋体", size=9)
        for c, (title, width) in enumerate(zip(TITLES, WIDTHS), 1):
            cell = sheet.cell(row=1, column=c, value=title)
            cell.font = font
            sheet.column_dimensions[openpyxl.utils.get_column_letter(c)].width = width
        for r in range(1, ROWS + 1):
            values = row(r)
            for c in range(8):
                cell = sheet.cell(row=r + 1, column=c + 1, value=values[c])
                cell.font = font
                if c == 0:
                    cell.number_format = "@"
        book.save(path)

    def read():
        book = openpyxl.load_workbook(path)
        total = 0
        for values in book.active.iter_rows(values_only=True):
            for value in values:
                if isinstance(value, (int, float)):
                    total += value
        return total

    measure("openpyxl-write", write)
    measure("openpyxl-read", read)


xls_peer()
xlsx_peer()
