// Prints a download run's progress rows, live on a terminal and line by line otherwise.

#include "cli/ProgressPrinter.h"

#include "cli/TerminalColour.h"

#include <cstdio>

namespace {
QString RowText(const CDownloadProgressModel::Row& row) {
    const QString text = row.status.isEmpty() ? row.title : row.title + u' ' + row.status;
    return Printable(row.note.isEmpty() ? text : text + QStringLiteral(" - ") + row.note);
}

// A finished entry in green or red, where colour is shown; a notice is no entry.
QString FinalText(const CDownloadProgressModel::Row& row) {
    if (row.icon == CDownloadProgressModel::InProgress ||
        row.icon == CDownloadProgressModel::Notice)
        return RowText(row);
    return Coloured(RowText(row),
                    row.icon == CDownloadProgressModel::Succeeded ? Colour::Green : Colour::Red,
                    stdout);
}
} // namespace

CProgressPrinter::CProgressPrinter(const CDownloadProgressModel& model, bool terminal)
    : model_(model), terminal_(terminal) {}

void CProgressPrinter::Update() {
    std::lock_guard lock(mutex_);
    const auto rows = model_.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool changed = i >= printed_.size() || RowText(printed_[i]) != RowText(rows[i]);
        if (!changed)
            continue;
        const bool final = rows[i].icon != CDownloadProgressModel::InProgress ||
                           i + 1 < rows.size() || !model_.IsActive();
        if (terminal_ && !final)
            std::printf("\r\033[K[%d/%d] %s", model_.Done(), model_.Total(),
                        qPrintable(RowText(rows[i])));
        else
            std::printf(terminal_ ? "\r\033[K%s\n" : "%s\n", qPrintable(FinalText(rows[i])));
    }
    std::fflush(stdout);
    printed_ = rows;
}
