#include "Catalogue.h"
#include "WindowFace.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/Glyphs.h"
#include "vantrelle/app/TForm1.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace vantrelle::app;
using namespace vantrelle::test;

namespace {

QString captionOf(const QWidget* control)
{
    if (auto* box = qobject_cast<const QGroupBox*>(control))
        return box->title();
    if (auto* text = qobject_cast<const QLabel*>(control))
        return text->text();
    if (auto* button = qobject_cast<const QPushButton*>(control))
        return button->text();
    if (auto* edit = qobject_cast<const DBEdit*>(control))
        return QString::fromStdString(edit->columnName());
    return QString();
}

} // namespace

class Form1LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_catalogue = std::make_unique<Catalogue>(std::vector<Film> { { "Alien", 1979, "", 117 } }); }
    void cleanup() { m_catalogue.reset(); }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");

        const struct {
            const char* name;
            const char* parent;
            QRect geometry;
            const char* caption;
        } controls[] = {
            { "GroupBox1", "Form1", { 8, 4, 361, 165 }, "Movies List" },
            { "DBGrid1", "GroupBox1", { 8, 16, 345, 140 }, "" },
            { "GroupBox2", "Form1", { 373, 4, 116, 165 }, "Picture" },
            { "DBImage1", "GroupBox2", { 8, 16, 100, 140 }, "" },
            { "GroupBox3", "Form1", { 8, 172, 481, 97 }, "General information" },
            { "DBEdit1", "GroupBox3", { 43, 16, 246, 20 }, "NameOfMovie" },
            { "DBEdit2", "GroupBox3", { 336, 16, 137, 20 }, "Director" },
            { "DBEdit4", "GroupBox3", { 50, 43, 295, 20 }, "Tagline" },
            { "DBEdit15", "GroupBox3", { 424, 43, 49, 20 }, "Format" },
            { "DBEdit14", "GroupBox3", { 72, 70, 17, 20 }, "NoOfCds" },
            { "DBEdit3", "GroupBox3", { 131, 70, 158, 20 }, "Genre" },
            { "DBEdit17", "GroupBox3", { 324, 70, 37, 21 }, "Year" },
            { "DBEdit13", "GroupBox3", { 413, 70, 60, 20 }, "Runtime" },
            { "GroupBox4", "Form1", { 8, 271, 302, 117 }, "Actors / Characters" },
            { "DBEdit5", "GroupBox4", { 8, 16, 129, 20 }, "CastMemberName1" },
            { "DBEdit6", "GroupBox4", { 164, 16, 129, 20 }, "Character1" },
            { "DBEdit7", "GroupBox4", { 8, 40, 129, 20 }, "CastMemberName2" },
            { "DBEdit8", "GroupBox4", { 164, 40, 129, 20 }, "Character2" },
            { "DBEdit9", "GroupBox4", { 8, 64, 129, 20 }, "CastMemberName3" },
            { "DBEdit10", "GroupBox4", { 164, 64, 129, 20 }, "Character3" },
            { "DBEdit11", "GroupBox4", { 8, 88, 129, 20 }, "CastMemberName4" },
            { "DBEdit12", "GroupBox4", { 164, 88, 129, 20 }, "Character4" },
            { "SpeedButton1", "Form1", { 315, 275, 173, 35 }, "&Action" },
            { "BitBtn1", "Form1", { 315, 275, 81, 35 }, "&Save" },
            { "BitBtn4", "Form1", { 403, 275, 85, 35 }, "Cancel" },
            { "BitBtn2", "Form1", { 315, 316, 173, 33 }, "&Browse IMDB Title" },
            { "BitBtn3", "Form1", { 315, 355, 173, 33 }, "Quit Vantrelle" },
        };
        for (const auto& control : controls)
            QTest::newRow(control.name) << control.name << control.parent << control.geometry << control.caption;

        // Labels: only their top-left corner is fixed, their size follows the text.
        const struct {
            const char* name;
            const char* parent;
            QPoint topLeft;
            const char* caption;
        } labels[] = {
            { "Label1", "GroupBox3", { 8, 19 }, "Name:" },
            { "Label4", "GroupBox3", { 293, 19 }, "Director:" },
            { "Label2", "GroupBox3", { 8, 46 }, "Tagline:" },
            { "Label10", "GroupBox3", { 352, 46 }, "Movie Format:" },
            { "Label9", "GroupBox3", { 8, 72 }, "No. of CD's:" },
            { "Label5", "GroupBox3", { 95, 72 }, "Genre:" },
            { "Label11", "GroupBox3", { 295, 72 }, "Year:" },
            { "Label8", "GroupBox3", { 367, 72 }, "Runtime:" },
            { "Label6", "GroupBox4", { 145, 20 }, "As" },
            { "Label12", "GroupBox4", { 145, 42 }, "As" },
            { "Label13", "GroupBox4", { 145, 66 }, "As" },
            { "Label14", "GroupBox4", { 145, 90 }, "As" },
        };
        for (const auto& text : labels)
            QTest::newRow(text.name) << text.name << text.parent << QRect(text.topLeft, QSize(-1, -1)) << text.caption;
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);

        TForm1 form;
        auto* control = form.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), parent);
        if (geometry.width() < 0)
            QCOMPARE(control->pos(), geometry.topLeft());
        else
            QCOMPARE(control->geometry(), geometry);
        QCOMPARE(captionOf(control), caption);
        QCOMPARE(control->font().pointSize(), 8);
    }

    void window()
    {
        TForm1 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Vantrelle"));
        QCOMPARE(form.size(), QSize(497, 393));
        QCOMPARE(form.findChildren<DBEdit*>().size(), 16);
        QCOMPARE(form.DBGrid1->horizontalHeader()->sectionSize(0), DBGrid::kTitleColumnWidth);
        QVERIFY(form.DBGrid1->horizontalHeader()->isHidden());
        QCOMPARE(form.DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name of Movie"));
        QVERIFY(form.BitBtn1->isHidden());
        QVERIFY(form.BitBtn4->isHidden());
        QVERIFY(!form.BitBtn2->isEnabled());
        QCOMPARE(form.SpeedButton1->focusPolicy(), Qt::NoFocus);
        QCOMPARE(form.BitBtn2->focusPolicy(), Qt::NoFocus);

        const QRect screenArea = form.screen()->availableGeometry();
        QCOMPARE(form.geometry().center(), screenArea.center());
    }

    void menus()
    {
        TForm1 form;
        QStringList captions;
        for (const QMenu* menu : { form.PopupMenu1, form.PopupMenu2 })
            for (const QAction* item : menu->actions())
                captions << item->objectName() + u'=' + item->text();
        QCOMPARE(captions,
            QStringList({ "Addnewmovie1=Add New Movie..", "Editcurrentmovie1=Edit Current Movie..",
                "Deletecurrentmovie1=Delete Current Movie", "=", "PosterSource1=Poster Source...",
                "TitleData1=Title Data...", "ImportCollection1=Import Collection...", "SearchByNumber1=Enter Number",
                "SearchByName1=Search by Name.." }));
        QCOMPARE(form.SpeedButton1->dropDownMenu(), form.PopupMenu1);
        QCOMPARE(form.BitBtn2->dropDownMenu(), form.PopupMenu2);
    }

    void tabOrder_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QStringList>("order");
        const QStringList boxes { "DBEdit1", "DBEdit3", "DBEdit17", "DBEdit13", "DBEdit4", "DBEdit14", "DBEdit15",
            "DBEdit2", "DBEdit5", "DBEdit7", "DBEdit9", "DBEdit11", "DBEdit6", "DBEdit8", "DBEdit10", "DBEdit12" };
        const QStringList listAndCover { "DBGrid1", "DBImage1" };
        QTest::newRow("browsing") << false << listAndCover + boxes + QStringList { "BitBtn3", "DBGrid1" };
        QTest::newRow("editing") << true << listAndCover + boxes + QStringList { "BitBtn3", "BitBtn1", "BitBtn4" };
    }

    void tabOrder()
    {
        QFETCH(bool, editing);
        QFETCH(QStringList, order);
        auto form = openWindow();
        if (editing)
            form->Editcurrentmovie1->trigger();
        form->DBGrid1->setFocus();
        QStringList visited { QApplication::focusWidget()->objectName() };
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, order);
    }

    void dropDownMenuOpensBelowTheButton()
    {
        auto form = openWindow();
        QPoint menuAt;
        bool drawnPressed = false;
        QTimer::singleShot(50, [&] {
            QWidget* popup = QApplication::activePopupWidget();
            if (!popup)
                return;
            menuAt = popup->pos();
            drawnPressed = form->SpeedButton1->isDown();
            popup->close();
        });
        QTest::mouseClick(form->SpeedButton1, Qt::LeftButton);
        QCOMPARE(menuAt, form->SpeedButton1->mapToGlobal(QPoint(-1, form->SpeedButton1->height())));
        QVERIFY(drawnPressed);
        QVERIFY(!form->SpeedButton1->isDown());
    }

    void theMenuRunsItsItem()
    {
        auto form = openWindow();
        QTimer::singleShot(50, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                const QRect item = menu->actionGeometry(menu->actions().at(0));
                QTest::mouseClick(menu, Qt::LeftButton, {}, item.center());
            }
        });
        QTest::mouseClick(form->SpeedButton1, Qt::LeftButton);
        QTRY_COMPARE(faceOf(*form), addingFace);
    }

    void aDisabledDropDownButtonIsInert()
    {
        auto form = openWindow();
        bool opened = false;
        QTimer::singleShot(50, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                opened = true;
                popup->close();
            }
        });
        QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
        QTest::qWait(100);
        QVERIFY(!opened);
    }

    void glyphs_data()
    {
        QTest::addColumn<Glyph>("glyph");
        QTest::addColumn<QRgb>("ink");
        QTest::newRow("check mark") << Glyph::CheckMark << qRgb(0, 128, 0);
        QTest::newRow("cross") << Glyph::Cross << qRgb(255, 0, 0);
    }

    void glyphs()
    {
        QFETCH(Glyph, glyph);
        QFETCH(QRgb, ink);
        const QImage bitmap = glyphBitmap(glyph);
        QCOMPARE(bitmap.size(), QSize(36, 18));
        QVERIFY(bitmap.colorCount() <= 16);
        const QRgb transparent = bitmap.pixel(0, 17);
        int inkPixels = 0;
        int disabledInk = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 36; ++x) {
                inkPixels += x < 18 && bitmap.pixel(x, y) == ink;
                disabledInk += x >= 18 && bitmap.pixel(x, y) != transparent;
                QVERIFY(x >= 18 || bitmap.pixel(x, y) == ink || bitmap.pixel(x, y) == transparent);
            }
        QVERIFY(inkPixels > 20);
        QVERIFY(disabledInk > 20);

        const QImage normal = glyphIcon(glyph).pixmap(18, 18).toImage();
        QCOMPARE(qAlpha(normal.pixel(0, 17)), 0);
    }

    // A larger window gives its room to the list, the picture (in its proportions) and the details; back at its
    // design size, every control is where the layout puts it.
    void anEnlargedWindowGrowsTheListThePictureAndTheDetails()
    {
        auto form = openWindow();
        const QRect list = form->GroupBox1->geometry();
        const QRect title = form->DBEdit1->geometry();
        form->resize(994, 786);
        QTRY_COMPARE(form->size(), QSize(994, 786));
        QVERIFY(form->GroupBox1->width() > list.width());
        QVERIFY(form->GroupBox1->height() > list.height());
        QVERIFY(form->DBEdit1->width() > title.width());
        const QSize picture = form->DBImage1->size();
        QVERIFY(picture.width() > 100);
        QVERIFY(qAbs(picture.width() * 140 - picture.height() * 100) <= 140);
        for (QWidget* control : { static_cast<QWidget*>(form->GroupBox2), static_cast<QWidget*>(form->GroupBox4),
                 static_cast<QWidget*>(form->BitBtn3) })
            QVERIFY2(form->rect().contains(control->geometry()), qPrintable(control->objectName()));
        QVERIFY(!form->GroupBox1->geometry().intersects(form->GroupBox2->geometry()));
        QVERIFY(!form->GroupBox4->geometry().intersects(form->BitBtn3->geometry()));
        QVERIFY(form->grab().save(QDir(QStringLiteral(VANTRELLE_APP_ARTIFACTS_DIR)).filePath("TForm1-enlarged.png")));

        form->resize(497, 393);
        QTRY_COMPARE(form->GroupBox1->geometry(), list);
        QCOMPARE(form->DBEdit1->geometry(), title);
        QCOMPARE(form->DBImage1->geometry(), QRect(8, 16, 100, 140));
    }

    // An empty catalogue's list says how to add the first film and where title data comes from.
    void anEmptyListSaysHowToBegin()
    {
        m_catalogue.reset();
        Catalogue empty(std::vector<Film> {});
        auto form = openWindow();
        QVERIFY(DBGrid::kEmptyHint.contains(QStringLiteral("Add New Movie..")));
        QVERIFY(DBGrid::kEmptyHint.contains(QStringLiteral("Title Data...")));
        const QImage drawn = form->DBGrid1->viewport()->grab().toImage();
        const QRgb background = drawn.pixel(1, 1);
        int inked = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                inked += drawn.pixel(x, y) != background;
        QVERIFY(inked > 200);
        QVERIFY(form->grab().save(QDir(QStringLiteral(VANTRELLE_APP_ARTIFACTS_DIR)).filePath("TForm1-empty.png")));
    }

    void screenshot()
    {
        m_catalogue.reset();
        Catalogue catalogue({ { "Alien", 1979, "In space no one can hear you scream.", 117 },
            { "Brazil", 1985, "", 142 }, { "Solaris", 1972, "", 167 } });
        auto form = openWindow();
        const QString file = QDir(QStringLiteral(VANTRELLE_APP_ARTIFACTS_DIR)).filePath("TForm1.png");
        QVERIFY(form->grab().save(file));
        form->Addnewmovie1->trigger();
        QVERIFY(form->grab().save(QDir(QStringLiteral(VANTRELLE_APP_ARTIFACTS_DIR)).filePath("TForm1-adding.png")));
    }

private:
    std::unique_ptr<Catalogue> m_catalogue;
};

QTEST_MAIN(Form1LayoutTest)
#include "Form1Layout_test.moc"
