#pragma once

#include <cstdint>

// Record codes of the workbook stream, shared by the workbook reader and the result writer. Several
// kinds of cell changed their code between the Excel versions; the names say which one a code
// belongs to where it matters.
namespace BiffCode {
constexpr std::uint16_t Bof2 = 0x0009;
constexpr std::uint16_t Bof3 = 0x0209;
constexpr std::uint16_t Bof4 = 0x0409;
constexpr std::uint16_t Bof = 0x0809;  // Excel 5 and later
constexpr std::uint16_t Eof = 0x000A;
constexpr std::uint16_t FilePass = 0x002F;
constexpr std::uint16_t CodePage = 0x0042;
constexpr std::uint16_t DateMode = 0x0022;  // 1 when dates count from 1904
constexpr std::uint16_t BoundSheet = 0x0085;
constexpr std::uint16_t BundleSheet = 0x008E;  // Excel 4 workbooks
constexpr std::uint16_t Format2 = 0x001E;      // Excel 2 and 3
constexpr std::uint16_t Format = 0x041E;       // Excel 4 and later
constexpr std::uint16_t Xf2 = 0x0043;
constexpr std::uint16_t Xf3 = 0x0243;
constexpr std::uint16_t Xf4 = 0x0443;
constexpr std::uint16_t Xf = 0x00E0;  // Excel 5 and later
constexpr std::uint16_t Sst = 0x00FC;
constexpr std::uint16_t Continue = 0x003C;

// Cells of Excel 2 worksheets: three attribute bytes instead of an XF index.
constexpr std::uint16_t Integer2 = 0x0002;
constexpr std::uint16_t Number2 = 0x0003;
constexpr std::uint16_t Label2 = 0x0004;
constexpr std::uint16_t BoolErr2 = 0x0005;
constexpr std::uint16_t String2 = 0x0007;

// Cells of Excel 3 and later.
constexpr std::uint16_t Formula = 0x0006;  // Excel 2 (attribute layout) and Excel 5 and later
constexpr std::uint16_t Formula3 = 0x0206;
constexpr std::uint16_t Formula4 = 0x0406;
constexpr std::uint16_t Number = 0x0203;
constexpr std::uint16_t Label = 0x0204;
constexpr std::uint16_t BoolErr = 0x0205;
constexpr std::uint16_t String = 0x0207;  // the text result of the formula before it
constexpr std::uint16_t Rk = 0x027E;
constexpr std::uint16_t MulRk = 0x00BD;
constexpr std::uint16_t LabelSst = 0x00FD;
constexpr std::uint16_t RString = 0x00D6;

// Records the result writer adds to the ones above.
constexpr std::uint16_t Window1 = 0x003D;
constexpr std::uint16_t Font = 0x0031;
constexpr std::uint16_t Style = 0x0293;
constexpr std::uint16_t ExtSst = 0x00FF;
constexpr std::uint16_t Dimensions = 0x0200;
constexpr std::uint16_t Window2 = 0x023E;
}  // namespace BiffCode

// Values inside the records above that the reader and the writer both use.
namespace BiffValue {
// BOF: the version word and the substream type.
constexpr std::uint16_t Excel97Version = 0x0600;
constexpr std::uint16_t Excel5Version = 0x0500;
constexpr std::uint16_t GlobalsSubstream = 0x0005;
constexpr std::uint16_t WorksheetSubstream = 0x0010;
constexpr std::uint16_t Excel4WorkbookSubstream = 0x0100;
// CODEPAGE: texts are UTF-16.
constexpr std::uint16_t Utf16CodePage = 1200;
}  // namespace BiffValue
