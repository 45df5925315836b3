// The element-set dialog's registry record ("APT\KeplerDialog"): placement,
// the three grids' column widths, and the splitters between the grids and
// their logs and between the satellite list and the orbit data
// ("UrlGridHeight", "ArcGridHeight", "ListPanelWidth", decimal pixels).
//
// A tab page gets its real size only when it is first shown, so a stored
// splitter size waits for that moment; a page never shown this run keeps
// the stored value as it was read.
#include "platform/CNumbers.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/WindowState.h"
#include "tracking/ui/KeplerDlg.h"

#include <QEvent>
#include <QSplitter>
#include <QTableWidget>

namespace {

const char kKey[] = "APT\\KeplerDialog";

}  // namespace

void TKeplerDlg::RestoreSettings()
{
    RestoreFormPlacement(this, kKey);
    RestoreGridColumns(UrlGrid, kKey);
    RestoreGridColumns(OrbGrid, kKey);
    RestoreGridColumns(ArcGrid, kKey);
    for (TSplitterMemory& memory : splitters_) {
        long long value = 0;
        memory.Stored = cnum::TryParseInt(ReadRegistryString(kKey, memory.ValueName).trimmed().toStdString(), value) &&
                                value > 0 && value < 100000
                            ? static_cast<int>(value)
                            : 0;
        memory.Splitter->installEventFilter(this);
    }
}

void TKeplerDlg::SaveSettings()
{
    SaveFormPlacement(this, kKey);
    SaveGridColumns(UrlGrid, kKey);
    SaveGridColumns(OrbGrid, kKey);
    SaveGridColumns(ArcGrid, kKey);
    for (const TSplitterMemory& memory : splitters_) {
        const int size = memory.Shown ? memory.Splitter->sizes().value(0) : memory.Stored;
        if (size > 0)
            WriteRegistryString(kKey, memory.ValueName, QString::number(size));
    }
}

bool TKeplerDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show)
        for (TSplitterMemory& memory : splitters_)
            if (memory.Splitter == watched && !memory.Shown) {
                memory.Shown = true;
                ApplyStoredSize(memory);
            }
    return QDialog::eventFilter(watched, event);
}

void TKeplerDlg::ApplyStoredSize(const TSplitterMemory& memory)
{
    // The second pane (a log, the orbit data) keeps some room: a size that
    // would leave it none was made in a larger window and is ignored.
    const QList<int> sizes = memory.Splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (memory.Stored <= 0 || memory.Stored >= total)
        return;
    memory.Splitter->setSizes({memory.Stored, total - memory.Stored});
}
