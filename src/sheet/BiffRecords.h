#pragma once
// Record numbers and little-endian helpers shared by the BIFF8 reader and writer.

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstdint>
#include <cstring>

namespace sheet::biff {

enum Record : std::uint16_t {
    Formula = 0x0006,
    Eof = 0x000A,
    CalcCount = 0x000C,
    CalcMode = 0x000D,
    Precision = 0x000E,
    RefMode = 0x000F,
    Delta = 0x0010,
    Iteration = 0x0011,
    Protect = 0x0012,
    Password = 0x0013,
    WindowProtect = 0x0019,
    DateMode = 0x0022,
    PrintHeaders = 0x002A,
    PrintGridlines = 0x002B,
    FilePass = 0x002F,
    Font = 0x0031,
    Continue = 0x003C,
    Window1 = 0x003D,
    Backup = 0x0040,
    CodePage = 0x0042,
    DefColWidth = 0x0055,
    WriteAccess = 0x005C,
    SaveRecalc = 0x005F,
    ColInfo = 0x007D,
    Guts = 0x0080,
    WsBool = 0x0081,
    GridSet = 0x0082,
    BoundSheet = 0x0085,
    HideObj = 0x008D,
    FnGroupCount = 0x009C,
    MulRk = 0x00BD,
    MulBlank = 0x00BE,
    Mms = 0x00C1,
    RString = 0x00D6,
    BookBool = 0x00DA,
    Xf = 0x00E0,
    InterfaceHdr = 0x00E1,
    InterfaceEnd = 0x00E2,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    ExtSst = 0x00FF,
    TabId = 0x013D,
    UsesElfs = 0x0160,
    Dsf = 0x0161,
    Prot4Rev = 0x01AF,
    RefreshAll = 0x01B7,
    Prot4RevPass = 0x01BC,
    Dimensions = 0x0200,
    Blank = 0x0201,
    Number = 0x0203,
    Label = 0x0204,
    BoolErr = 0x0205,
    String = 0x0207,
    Row = 0x0208,
    Rk = 0x027E,
    Index = 0x020B,
    DefaultRowHeight = 0x0225,
    Window2 = 0x023E,
    Style = 0x0293,
    Format = 0x041E,
    Bof = 0x0809,
};

// Largest record body; longer data continues in CONTINUE records.
constexpr int kMaxRecordData = 8224;

// BOF substream types.
constexpr std::uint16_t kGlobals = 0x0005;
constexpr std::uint16_t kWorksheet = 0x0010;
constexpr std::uint16_t kBiff8 = 0x0600;

inline std::uint16_t u16At(const unsigned char *p) { return qFromLittleEndian<quint16>(p); }
inline std::uint32_t u32At(const unsigned char *p) { return qFromLittleEndian<quint32>(p); }
inline double f64At(const unsigned char *p)
{
    const quint64 bits = qFromLittleEndian<quint64>(p);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Error codes of BOOLERR and formula results.
QString errorText(int code);
int errorCode(const QString &text);

// The number an RK value stands for.
double rkValue(std::uint32_t rk);

} // namespace sheet::biff
