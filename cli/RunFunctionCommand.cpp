#include "cli/RunFunctionCommand.h"

#include <QFileInfo>
#include <QHash>
#include <QTextStream>
#include <functional>

#include "cli/CliLoading.h"
#include "cli/CliText.h"
#include "conditions/ConditionList.h"
#include "conditions/ConditionPanels.h"
#include "conditions/FunctionWizard.h"
#include "data/ResultSaving.h"
#include "data/seams/MessageSeam.h"
#include "data/uGlobalData.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"

namespace {

constexpr int kExitResult = 0;
constexpr int kExitNoResult = 1;
constexpr int kExitRefused = 2;
constexpr int kExitUsage = 64;

const char* const kHelp = R"(usage: quarix-cli run FILE1 --function NAME [options]

Runs one of the seven functions on FILE1 (and FILE2) as the Function Wizard and the Run command
would, and prints the result grid as tab-separated text: one line per grid row, the heading row
and the row-number column included; backslash, tab, carriage return and line feed in a cell are
written as \\, \t, \r and \n.

Files and target:
  --file2 PATH            the second file (the same columns as FILE1)
  --sheet1 NAME           FILE1's sheet (default: its first sheet)
  --sheet2 NAME           FILE2's sheet (default: its first sheet)
  --target 1|2|both       the file the function works on (default 1); "both" only for
                          unique, filter, multifilter and totals
  --function NAME         unique, duplicates, filter, multifilter, totals, modify or sort
  --out FILE              save the result instead of printing it, as the Save command does,
                          as a .xls, .xlsx, .dbf or .csv file by FILE's extension; a loaded source
                          file is refused, and so is an existing FILE unless --force is given
  --force                 with --out: replace an existing FILE once the new one is complete
  --delimiter C           FILE1 (.csv, .tsv, .txt): the delimiter, one character or "tab"
  --encoding NAME         FILE1 (.csv, .tsv, .txt): the encoding, e.g. UTF-8, windows-1252
  --verbose               tell on standard error the delimiter and encoding FILE1 was read with

Each option below stands for a list or a field of the function's panel in the wizard; a list
whose option is missing has nothing selected, so the wizard's checks and messages apply.
  unique, duplicates:  --column NAME
  filter:              --column NAME --op1 OP --value1 TEXT [--op2 OP --value2 TEXT] [--and]
                       (the two conditions are joined by Or unless --and is given)
  multifilter:         --column1 NAME --op1 OP --value1 TEXT
                       [--column2 NAME --op2 OP --value2 TEXT]
  totals:              --group NAME --value NAME --kind sum|min|max
                       (a --value that is not a number column counts as nothing selected)
  modify:              --column NAME --operation cut-start|cut-end|add-front|add-end --text TEXT
  sort:                no options
  OP is one of eq ne lt le gt ge contains.

What happens, in the program's order: the files are opened with every check the window applies
(File 1's headings, File 2 against File 1); then the checks of the wizard's "Ok"; then the Run
command's checks; then the function.

Exit status: 0 a result (on standard output; the Data modify reports and the row-limit message
on standard error); 1 nothing found ("No data matching your query found!" on standard error);
2 a refusal or a failure, its message on standard error (a file that cannot be loaded as
"error CODE: MESSAGE" or "error: MESSAGE", as quarix-cli convert tells it); 64 a usage error.
)";

// What the core tells the user goes to standard error as its text alone.
void tell(const UserMessage& message) {
    if (!message.isEmpty()) QTextStream(stderr) << message.text << '\n';
}

int usageError(const QString& text) {
    QTextStream(stderr) << "quarix-cli run: " << text << "\n(quarix-cli run --help tells more)\n";
    return kExitUsage;
}

const QHash<QString, int>& functionCodes() {
    static const QHash<QString, int> codes{{"unique", 0},      {"duplicates", 1}, {"filter", 2},
                                           {"multifilter", 3}, {"totals", 4},     {"modify", 5},
                                           {"sort", 6}};
    return codes;
}

const QHash<QString, int>& operatorCodes() {
    static const QHash<QString, int> codes{{"eq", 0}, {"ne", 1}, {"lt", 2},      {"le", 3},
                                           {"gt", 4}, {"ge", 5}, {"contains", 6}};
    return codes;
}

// The options each function's panel has (beyond those every run takes).
QStringList panelOptions(int function) {
    switch (WizardFunction(function)) {
        case WizardFunction::UniqueValues:
        case WizardFunction::Duplicates:
            return {"--column"};
        case WizardFunction::Filter:
            return {"--column", "--op1", "--value1", "--op2", "--value2", "--and"};
        case WizardFunction::MultiFilter:
            return {"--column1", "--op1", "--value1", "--column2", "--op2", "--value2"};
        case WizardFunction::Totals:
            return {"--group", "--value", "--kind"};
        case WizardFunction::DataModify:
            return {"--column", "--operation", "--text"};
        case WizardFunction::Sorting:
            break;
    }
    return {};
}

// Every list of the function's panel without a selection: what an option leaves unset stays so.
void clearPanel(int function) {
    ConditionPanels& p = Panels;
    switch (WizardFunction(function)) {
        case WizardFunction::UniqueValues:
        case WizardFunction::Duplicates:
            p.fldColToProcess.position = -1;
            break;
        case WizardFunction::Filter:
            for (PanelList* list : {&p.fldColToProcessSelect, &p.fldSel1Select, &p.fldSel2Select})
                list->position = -1;
            break;
        case WizardFunction::MultiFilter:
            for (PanelList* list : {&p.fldCol1MultiSelect, &p.fldSel1MultiSelect,
                                    &p.fldCol2MultiSelect, &p.fldSel2MultiSelect})
                list->position = -1;
            break;
        case WizardFunction::Totals:
            for (PanelList* list : {&p.fldColToProcessTotals, &p.fldSelTotals, &p.fldDataTotals})
                list->position = -1;
            break;
        case WizardFunction::DataModify:
            p.fldColToProcessDataModify.position = -1;
            p.fldSelDataModify.position = -1;
            break;
        case WizardFunction::Sorting:
            break;
    }
}

void printGrid() {
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    QStringList line;
    for (std::int32_t row = 0; row < ResultGrid.rows(); ++row) {
        line.clear();
        for (std::int32_t column = 0; column < ResultGrid.columns(); ++column) {
            line << escaped(ResultGrid.textMatrix(row, column));
        }
        out << line.join(QLatin1Char('\t')) << '\n';
    }
}

}  // namespace

int RunFunctionCommand(const QStringList& arguments) {
    static const QStringList valued{
        "--file2", "--sheet1", "--sheet2", "--target",    "--function", "--column",
        "--op1",   "--value1", "--op2",    "--value2",    "--column1",  "--column2",
        "--group", "--value",  "--kind",   "--operation", "--text",     "--out"};
    static const QStringList flags{"--and", "--force"};
    QHash<QString, QString> options;
    QString file1;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            QTextStream(stdout) << kHelp;
            return 0;
        }
        if (flags.contains(argument)) {
            options.insert(argument, QString());
        } else if (valued.contains(argument)) {
            if (i + 1 >= arguments.size()) return usageError(argument + " needs a value");
            if (options.contains(argument)) return usageError(argument + " is given twice");
            options.insert(argument, arguments[++i]);
        } else if (argument.startsWith(QLatin1String("--")) || !file1.isEmpty()) {
            return usageError("unknown argument " + argument);
        } else {
            file1 = argument;
        }
    }
    if (file1.isEmpty()) return usageError("FILE1 is missing");
    if (!options.contains("--function")) return usageError("--function is required");
    const int function = functionCodes().value(options.value("--function"), -1);
    if (function < 0) return usageError("unknown function " + options.value("--function"));
    const QString targetText = options.value("--target", "1");
    const int target = targetText == "1"      ? 0
                       : targetText == "2"    ? 1
                       : targetText == "both" ? 2
                                              : -1;
    if (target < 0) return usageError("--target must be 1, 2 or both");
    if (target == 2 && FileItemsFor(function).size() < 3) {
        return usageError("--target both is not offered for " + options.value("--function"));
    }
    const QStringList allowed = panelOptions(function);
    for (auto it = options.cbegin(); it != options.cend(); ++it) {
        static const QStringList common{"--file2",    "--sheet1", "--sheet2", "--target",
                                        "--function", "--out",    "--force"};
        if (!common.contains(it.key()) && !allowed.contains(it.key())) {
            return usageError(it.key() + " is not an option of " + options.value("--function"));
        }
    }
    for (const char* name : {"--op1", "--op2"}) {
        if (options.contains(name) && !operatorCodes().contains(options.value(name)))
            return usageError(QString("unknown operator ") + options.value(name));
    }
    static const QStringList kinds{"sum", "min", "max"};
    if (options.contains("--kind") && !kinds.contains(options.value("--kind")))
        return usageError("unknown kind " + options.value("--kind"));
    static const QStringList operations{"cut-start", "cut-end", "add-front", "add-end"};
    if (options.contains("--operation") && !operations.contains(options.value("--operation")))
        return usageError("unknown operation " + options.value("--operation"));
    const QString out = options.value("--out");
    const std::optional<ResultFileType> outType = ResultFileTypeOf(out);
    if (options.contains("--out") && !outType) {
        return usageError("--out must name a .xls, .xlsx, .dbf or .csv file");
    }

    if (target > 0 && !options.contains("--file2")) {
        tell(UserMessage::warning(QStringLiteral("Please load File 2")));
        return kExitRefused;
    }
    if (options.contains("--force") && !options.contains("--out")) {
        return usageError("--force goes with --out");
    }

    // The files, as the open command opens them.
    for (const FileSlot slot : {FileSlot::File1, FileSlot::File2}) {
        const bool first = slot == FileSlot::File1;
        if (!first && !options.contains("--file2")) break;
        const QString path = QFileInfo(first ? file1 : options.value("--file2")).absoluteFilePath();
        const QString sheet = options.value(first ? "--sheet1" : "--sheet2");
        const CliLoad load = LoadForCli(slot, path, sheet);
        if (load.sheetMissing) return usageError("no sheet named " + sheet);
        if (load.result.status != SlotLoad::Loaded) {
            ReportLoadFailure(load.result, path);
            return kExitRefused;
        }
    }

    // Column names, as the panels list them.
    QStringList names;
    for (const clField& field : File1.Contents->Fields) names << field.Name;
    for (const char* name : {"--column", "--column1", "--column2", "--group", "--value"}) {
        if (options.contains(name) && !names.contains(options.value(name)))
            return usageError(QString("no column named ") + options.value(name));
    }

    // The wizard, opened, set to the function and the file, its panel filled from the options.
    FunctionWizard wizard;
    wizard.FormCreate();
    wizard.FormShow();
    wizard.ElTree2AfterSelectionChange(function);
    if (target > 0) tell(wizard.fldFileToProcessChange(target));
    clearPanel(function);
    const auto column = [&](const char* name) { return int(names.indexOf(options.value(name))); };
    const auto op = [&](const char* name) { return operatorCodes().value(options.value(name)); };
    const auto has = [&](const char* name) { return options.contains(name); };
    switch (WizardFunction(function)) {
        case WizardFunction::UniqueValues:
        case WizardFunction::Duplicates:
            if (has("--column")) PickInPanel(PanelControl::ColToProcess, column("--column"));
            break;
        case WizardFunction::Filter:
            if (has("--column")) PickInPanel(PanelControl::ColToProcessSelect, column("--column"));
            if (has("--op1")) PickInPanel(PanelControl::Sel1Select, op("--op1"));
            TypeInPanel(PanelControl::Data1Select, options.value("--value1"));
            if (has("--op2")) PickInPanel(PanelControl::Sel2Select, op("--op2") + 1);
            TypeInPanel(PanelControl::Data2Select, options.value("--value2"));
            PickInPanel(has("--and") ? PanelControl::AndSelect : PanelControl::OrSelect, 0);
            break;
        case WizardFunction::MultiFilter:
            if (has("--column1")) PickInPanel(PanelControl::Col1MultiSelect, column("--column1"));
            if (has("--op1")) PickInPanel(PanelControl::Sel1MultiSelect, op("--op1"));
            TypeInPanel(PanelControl::Data1MultiSelect, options.value("--value1"));
            if (has("--column2"))
                PickInPanel(PanelControl::Col2MultiSelect, column("--column2") + 1);
            if (has("--op2")) PickInPanel(PanelControl::Sel2MultiSelect, op("--op2"));
            TypeInPanel(PanelControl::Data2MultiSelect, options.value("--value2"));
            break;
        case WizardFunction::Totals:
            if (has("--group")) PickInPanel(PanelControl::ColToProcessTotals, column("--group"));
            if (has("--value")) {
                PickInPanel(PanelControl::DataTotals,
                            int(Panels.fldDataTotals.items.indexOf(options.value("--value"))));
            }
            if (has("--kind"))
                PickInPanel(PanelControl::SelTotals, kinds.indexOf(options.value("--kind")));
            break;
        case WizardFunction::DataModify:
            if (has("--column"))
                PickInPanel(PanelControl::ColToProcessDataModify, column("--column"));
            if (has("--operation")) {
                PickInPanel(PanelControl::SelDataModify,
                            operations.indexOf(options.value("--operation")));
            }
            TypeInPanel(PanelControl::SrcDataModify, options.value("--text"));
            break;
        case WizardFunction::Sorting:
            break;
    }

    tell(wizard.btnOKClick());
    if (ConditionRows.empty()) return kExitRefused;

    ResetResultGrid();
    const RunResult run = RunFunction();
    for (const UserMessage& message : run.messages) tell(message);
    switch (run.outcome) {
        case RunOutcome::Result: {
            if (out.isEmpty()) {
                printGrid();
                return kExitResult;
            }
            // Saved as the Save command saves; a loaded source is refused, and an existing file
            // unless --force.
            const SaveResult saved =
                WriteResultFile(QFileInfo(out).absoluteFilePath(), *outType,
                                options.contains("--force") ? ExistingResultFile::Replace
                                                            : ExistingResultFile::Refuse);
            if (saved.outcome == SaveOutcome::Saved) return kExitResult;
            ReportFailure(saved.nativeError, saved.message.text);
            return kExitRefused;
        }
        case RunOutcome::NoResult:
            return kExitNoResult;
        default:
            return kExitRefused;
    }
}
