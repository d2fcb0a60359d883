#pragma once
// The in-process spreadsheet application: the members the export and the import call on a
// spreadsheet application (workbooks, sheets, cells, columns), as typed C++ objects over an
// in-memory workbook.
//
// Exporting a grid (errors raise sheet::SheetError with a message for the user):
//
//     auto app = sheet::createApplication("Et.Application");   // or getRunningApplication
//     if (!app) ...                                             // unknown identifier / start failed
//     sheet::Workbook book = app->Workbooks().Add();            // new workbook: Sheet1..Sheet3
//     for (int n = book.Sheets().Count(); n >= 2; --n) book.Sheets().Item(n).Delete();
//     book.ActiveSheet().setName("邮发报刊");                   // invalid or duplicate name throws
//     sheet::Worksheet ws = book.WorkSheets("邮发报刊");
//     ws.Cells(1, 1).Font().setName("宋体");
//     ws.Cells(1, 1).Font().setSize(9);
//     ws.Cells(2, 1).setNumberFormatLocal("@");                 // text cell: "0012" stays text
//     ws.Cells(1, 1).setValue("代号");                          // text; "12.5" in a General cell becomes a number
//     ws.Columns(1).setColumnWidth(12);
//     book.SaveAs("/path/订单.xls");                            // .xls/.et BIFF8, .xlsx; atomic
//     app->Quit();
//
//     A later call reopens the file and adds a sheet: app->Workbooks().open(path) (or adopt() with
//     the model kept from the save), book.Sheets().add() (appended after the last sheet and made
//     active), and so on.
//
// Importing a catalogue:
//
//     sheet::Workbook book = app->Workbooks().open(path);       // .xls .et .xlsx .ods .csv
//     for (int i = 1; i <= app->WorkSheets().Count(); ++i) names << app->WorkSheets(i).Name();
//     sheet::Worksheet ws = app->WorkSheets(name);
//     int rows = ws.UsedRange().Rows().Count(), cols = ws.UsedRange().Columns().Count();
//     sheet::CellValue v = ws.Cells(r, c).Value();              // v.isEmpty(), v.toText(), v.toNumber()
//
// Rows and columns count from 1. Handles (Workbook, Worksheet, Range, ...) are cheap
// values; one whose workbook was closed, whose sheet was deleted or whose application
// has quit throws on use.

#include "CellValue.h"
#include "SheetError.h"
#include "WorkbookModel.h"

#include <QString>
#include <memory>
#include <vector>

namespace sheet {

class Application;
class Workbook;
class Worksheet;

namespace detail {
struct BookState {
    WorkbookModel model;
    QString name;     // "工作簿1", or the file name once opened or saved
    QString fullName; // the file's path once opened or saved
    QString caption;  // window caption; empty means the name
    bool closed = false;
};
} // namespace detail

// One side of UsedRange: Rows() or Columns().
class Lines {
public:
    explicit Lines(int count) : m_count(count) {}
    int Count() const { return m_count; }

private:
    int m_count;
};

// The used range of a sheet: from its first to its last used row and column (a cell
// that was only formatted counts as used). A sheet without cells reports A1.
class Area {
public:
    Area(int row, int column, int rows, int columns) : m_row(row), m_column(column), m_rows(rows), m_columns(columns) {}
    int Row() const { return m_row; }
    int Column() const { return m_column; }
    Lines Rows() const { return Lines(m_rows); }
    Lines Columns() const { return Lines(m_columns); }

private:
    int m_row, m_column, m_rows, m_columns;
};

class RangeFont {
public:
    QString Name() const;
    void setName(const QString &name); // 1 to 31 characters
    double Size() const;
    void setSize(double points);       // 1 to 409

private:
    friend class Range;
    RangeFont(std::shared_ptr<detail::BookState> book, std::shared_ptr<SheetModel> sheet, int row, int column);
    std::shared_ptr<detail::BookState> m_book;
    std::shared_ptr<SheetModel> m_sheet;
    int m_row, m_column;
};

// One cell.
class Range {
public:
    CellValue Value() const;
    // Like typing into the cell: "" empties it (a cell without a format of its own then
    // leaves the used range); in a cell whose format is not "@" a text
    // that reads as a number (see typedNumber) is stored as that number; else the text.
    void setValue(const QString &text);
    void setValue(double number);
    void setValue(int number) { setValue(double(number)); }
    void setValue(qint64 number) { setValue(double(number)); }
    // Stores exactly this value (any type, no conversion).
    void setValue(const CellValue &value);

    RangeFont Font() const;
    // The format code as a Chinese Excel shows it: General reads "G/通用格式"; "@" is text.
    QString NumberFormatLocal() const;
    void setNumberFormatLocal(const QString &format);

    int Row() const { return m_row; }
    int Column() const { return m_column; }

private:
    friend class Worksheet;
    Range(std::shared_ptr<detail::BookState> book, std::shared_ptr<SheetModel> sheet, int row, int column);
    CellData &touch() const;
    std::shared_ptr<detail::BookState> m_book;
    std::shared_ptr<SheetModel> m_sheet;
    int m_row, m_column;
};

class Column {
public:
    double ColumnWidth() const;            // characters; kDefaultColumnWidth when never set
    void setColumnWidth(double characters); // 0 to 255

private:
    friend class Worksheet;
    Column(std::shared_ptr<detail::BookState> book, std::shared_ptr<SheetModel> sheet, int column);
    std::shared_ptr<detail::BookState> m_book;
    std::shared_ptr<SheetModel> m_sheet;
    int m_column;
};

class Worksheet {
public:
    QString Name() const;
    // Fails on an empty name, more than 31 characters, any of : \ / ? * [ ], a leading
    // or trailing apostrophe, or the name of another sheet of the workbook (letter case
    // ignored).
    void setName(const QString &name);
    void Delete(); // fails on the last sheet of a workbook
    Range Cells(int row, int column) const;
    Column Columns(int column) const;
    Area UsedRange() const;
    int Index() const; // 1-based position in the workbook

    const SheetModel &model() const;

private:
    friend class Workbook;
    friend class SheetCollection;
    Worksheet(std::shared_ptr<detail::BookState> book, std::shared_ptr<SheetModel> sheet);
    void check() const;
    std::shared_ptr<detail::BookState> m_book;
    std::shared_ptr<SheetModel> m_sheet;
};

class SheetCollection {
public:
    int Count() const;
    Worksheet add(); // appended after the last sheet and made the active sheet
    Worksheet Item(int index) const;           // 1-based
    Worksheet Item(const QString &name) const; // letter case ignored

private:
    friend class Workbook;
    explicit SheetCollection(std::shared_ptr<detail::BookState> book);
    std::shared_ptr<detail::BookState> m_book;
};

class Window {
public:
    QString Caption() const;
    void setCaption(const QString &caption);

private:
    friend class Application;
    explicit Window(std::shared_ptr<detail::BookState> book);
    std::shared_ptr<detail::BookState> m_book;
};

class Workbook {
public:
    SheetCollection Sheets() const;
    Worksheet ActiveSheet() const;
    Worksheet WorkSheets(const QString &name) const;
    Worksheet WorkSheets(int index) const;
    // Writes the workbook in the format of the file's extension (.xls, .et, .xlsx),
    // replacing an existing file only once the new one is complete.
    void SaveAs(const QString &fileName);
    void Close(); // unsaved changes are dropped, as with prompts switched off
    std::shared_ptr<sheet::Application> Application() const;
    QString Name() const;
    QString FullName() const;

    const WorkbookModel &model() const;

private:
    friend class WorkbookCollection;
    friend class sheet::Application;
    Workbook(std::shared_ptr<sheet::Application> app, std::shared_ptr<detail::BookState> book);
    void check() const;
    std::shared_ptr<sheet::Application> m_app;
    std::shared_ptr<detail::BookState> m_book;
};

class WorkbookCollection {
public:
    Workbook Add();                          // a new workbook of three sheets, Sheet1 to Sheet3
    Workbook open(const QString &fileName);  // .xls .et .xlsx .ods .csv
    // A workbook as it was last saved under `fileName`, from a copy its caller kept: the same as
    // open(fileName) while the file is unchanged, without reading the file again.
    Workbook adopt(const WorkbookModel &saved, const QString &fileName);
    void Close();                            // closes every workbook
    int Count() const;

private:
    friend class Application;
    explicit WorkbookCollection(std::shared_ptr<sheet::Application> app);
    // The workbook of a file, made the active one.
    Workbook addFileBook(WorkbookModel model, const QString &fileName);
    std::shared_ptr<sheet::Application> m_app;
};

// Made by the registry (createApplication); runs hidden, with prompts on, until Quit.
class Application : public std::enable_shared_from_this<Application> {
public:
    explicit Application(const QString &progId);

    QString progId() const { return m_progId; }
    WorkbookCollection Workbooks();
    // The sheets of the active workbook.
    SheetCollection WorkSheets();
    Worksheet WorkSheets(int index);
    Worksheet WorkSheets(const QString &name);
    Workbook ActiveWorkBook();
    Window ActiveWindow();
    bool Visible() const;
    void setVisible(bool visible);
    bool DisplayAlerts() const;
    void setDisplayAlerts(bool on);
    // Closes every workbook without saving and ends the application: later calls fail.
    void Quit();
    bool hasQuit() const { return m_quit; }

private:
    friend class WorkbookCollection;
    friend class Workbook;
    void check() const;
    std::shared_ptr<detail::BookState> activeBook() const;
    void forget(const std::shared_ptr<detail::BookState> &book);

    QString m_progId;
    std::vector<std::shared_ptr<detail::BookState>> m_books; // opening order; the last is active
    int m_booksMade = 0;
    bool m_visible = false;
    bool m_displayAlerts = true;
    bool m_quit = false;
};

} // namespace sheet
