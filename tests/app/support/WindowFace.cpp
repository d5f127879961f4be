#include "WindowFace.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/app/WindowLook.h"

#include <QPushButton>

namespace vantrelle::test {

QString faceOf(const app::TForm1& form)
{
    QStringList buttons;
    if (form.SpeedButton1->isVisibleTo(&form))
        buttons << QStringLiteral("Action");
    if (form.BitBtn1->isVisibleTo(&form))
        buttons << QStringLiteral("Save");
    if (form.BitBtn4->isVisibleTo(&form))
        buttons << QStringLiteral("Cancel");
    if (form.BitBtn2->isEnabled())
        buttons << QStringLiteral("Browse");

    const QList<app::DBEdit*> boxes = form.findChildren<app::DBEdit*>();
    int grey = 0;
    int white = 0;
    int readOnly = 0;
    for (const app::DBEdit* box : boxes) {
        const QColor colour = box->palette().color(QPalette::Base);
        grey += colour == app::browsingColour(form.palette());
        white += colour == app::editingColour(form.palette());
        readOnly += box->isReadOnly();
    }
    const QString colour = grey == boxes.size() ? QStringLiteral("grey")
        : white == boxes.size()                 ? QStringLiteral("white")
                                                : QStringLiteral("mixed");
    const QString typing = readOnly == boxes.size() ? QStringLiteral("read-only")
        : readOnly == 0                             ? QStringLiteral("writable")
                                                    : QStringLiteral("mixed");
    return buttons.join(u' ') + QStringLiteral(" | ") + colour + u' ' + typing;
}

QStringList listedTitles(const app::TForm1& form)
{
    QStringList titles;
    const QAbstractItemModel* model = form.DBGrid1->model();
    for (int row = 0; row < model->rowCount(); ++row)
        titles << model->index(row, 0).data().toString();
    return titles;
}

QString highlightedTitle(const app::TForm1& form)
{
    const QModelIndexList selected = form.DBGrid1->selectionModel()->selectedRows();
    return selected.size() == 1 ? selected.front().data().toString() : QString();
}

} // namespace vantrelle::test
