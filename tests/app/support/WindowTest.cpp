#include "WindowTest.h"

#include "vantrelle/app/DBGrid.h"

#include <QApplication>
#include <QTest>

namespace vantrelle::test {

std::unique_ptr<app::TForm1> openWindow()
{
    auto form = std::make_unique<app::TForm1>();
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("the window did not become active");
    return form;
}

std::unique_ptr<StandInTitleService> startTitleService()
{
    auto service = std::make_unique<StandInTitleService>();
    qputenv("http_proxy", QByteArray::fromStdString(service->proxy()));
    qputenv("no_proxy", "");
    qputenv("NO_PROXY", "");
    return service;
}

void typeInto(QLineEdit* box, const QString& text)
{
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    if (box->hasSelectedText())
        QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

void clickLine(app::TForm1& form, int row)
{
    app::DBGrid* grid = form.DBGrid1;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 0)).center());
}

void settle()
{
    QTest::qWait(100);
}

} // namespace vantrelle::test
