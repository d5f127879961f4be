// show_window vantrelle|plain FILE: starts a window on the catalogue FILE, prints "shown <peak resident KiB>" on
// standard output once the window has drawn itself, and ends at once.
//
// "vantrelle" starts the program's own window as its main() does. "plain" is the least that any window listing
// the catalogue must do: the IDs and titles read through the title index into a bare Qt list.
#include "vantrelle/app/Application.h"
#include "vantrelle/app/LocalTitleService.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/store/ConnectionString.h"

#include <QEvent>
#include <QListView>
#include <QStringListModel>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

long peakResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    return 0;
}

// Notes the first paint of the window; all of its children draw in the same pass.
class FirstPaint : public QObject {
public:
    bool painted = false;

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

[[noreturn]] void reportWhenDrawn(QWidget& window)
{
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    while (!firstPaint.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("shown %ld\n", peakResidentKilobytes());
    std::fflush(stdout);
    _exit(0); // what is measured ends here; tearing the window down is not part of it
}

QStringList titlesThroughTheIndex(const char* file)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(file, &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db,
        "SELECT ID, NameOfMovie FROM Movies INDEXED BY MoviesByName ORDER BY NameOfMovie COLLATE NOCASE", -1, &select,
        nullptr);
    QStringList titles;
    while (sqlite3_step(select) == SQLITE_ROW)
        titles.append(QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(select, 1)), sqlite3_column_bytes(select, 1)));
    sqlite3_finalize(select);
    sqlite3_close(db);
    return titles;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: show_window vantrelle|plain FILE\n");
        return 2;
    }
    const std::string which = argv[1];
    const char* file = argv[2];
    if (which == "plain") {
        QApplication application(argc, argv);
        QStringListModel model(titlesThroughTheIndex(file));
        QListView list;
        list.setUniformItemSizes(true); // as the window's list, whose lines are all alike
        list.setModel(&model);
        reportWhenDrawn(list);
    }
    vantrelle::app::Application application(argc, argv);
    vantrelle::app::TForm1 form(vantrelle::store::connectionStringFor(file));
    const vantrelle::app::LocalTitleService titles(form);
    reportWhenDrawn(form);
}
