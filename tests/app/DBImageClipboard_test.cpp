#include "Catalogue.h"
#include "DBImagePictures.h"
#include "ModalAnswer.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/Image.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/pictures/Bitmap.h"

#include <QAction>
#include <QClipboard>
#include <QPushButton>
#include <QtTest>

using namespace vantrelle::app;
using namespace vantrelle::test;
using vantrelle::pictures::PaletteEntry;
using vantrelle::pictures::TBitmap;
using vantrelle::store::qsBrowse;
using vantrelle::store::qsEdit;

class DBImageClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void cutAndPasteDoNothingWhileBrowsing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ShiftModifier);
    }

    void cutAndPasteDoNothingWhileBrowsing()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        const Cover before = catalogue.cover("Alien");
        auto form = openWindow();
        ModalAnswer answer;
        QGuiApplication::clipboard()->setImage(trueColourImage());
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key(key), modifiers);

        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("2 x 2"));
        QVERIFY(!form->DBImage1->modified());
        QCOMPARE(QGuiApplication::clipboard()->image().size(), trueColourImage().size());
        clickLine(*form, 1);
        settle();
        QCOMPARE(answer.texts(), QStringList());
        QCOMPARE(catalogue.cover("Alien"), before);
    }

    void copyPutsThePictureOnTheClipboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Ctrl+C") << int(Qt::Key_C);
        QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert);
    }

    void copyPutsThePictureOnTheClipboard()
    {
        QFETCH(int, key);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        auto form = openWindow();
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key(key), Qt::ControlModifier);
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(2, 2));
        QCOMPARE(QStringList({ copied.pixelColor(0, 0).name(), copied.pixelColor(1, 0).name(),
                     copied.pixelColor(0, 1).name(), copied.pixelColor(1, 1).name() }),
            fourColoursShown);
    }

    void pasteWhileEditingThenSaveStoresIt_data()
    {
        QTest::addColumn<QImage>("pasted");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("clickSave");
        QTest::addColumn<int>("storedDepth");
        // A click on "&Save" writes the picture as the control loses the focus; a click made by the
        // program leaves the focus where it is, so the post asks for the row to be updated.
        QTest::newRow("palette image, Ctrl+V, Save clicked")
            << indexedImage() << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ControlModifier) << true << 8;
        QTest::newRow("true-colour image, Shift+Insert, Save without a focus change")
            << trueColourImage() << int(Qt::Key_Insert) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << 24;
    }

    void pasteWhileEditingThenSaveStoresIt()
    {
        QFETCH(QImage, pasted);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, clickSave);
        QFETCH(int, storedDepth);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        QGuiApplication::clipboard()->setImage(pasted);
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key(key), modifiers);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("%1 x %2").arg(pasted.width()).arg(pasted.height()));
        QVERIFY(form->DBImage1->modified());

        if (clickSave)
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        else
            form->BitBtn1->click();
        QCOMPARE(form->aqMovies->state(), qsBrowse);

        const Cover stored = catalogue.cover("Alien");
        QVERIFY(stored.has_value());
        QVERIFY(stored->startsWith("BM"));
        const TBitmap cover = bitmapOf(*stored);
        QCOMPARE(QSize(cover.width(), cover.height()), pasted.size());
        QCOMPARE(cover.bitsPerPixel(), storedDepth);
        for (int y = 0; y < pasted.height(); ++y) {
            for (int x = 0; x < pasted.width(); ++x) {
                const PaletteEntry colour = cover.pixelColor(x, y);
                QCOMPARE(QColor(colour.red, colour.green, colour.blue), pasted.pixelColor(x, y));
            }
        }
    }

    void cutWhileEditingThenSaveStoresNull_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ShiftModifier);
    }

    void cutWhileEditingThenSaveStoresNull()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key(key), modifiers);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("empty"));
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(2, 2));
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(catalogue.cover("Alien"), Cover());
    }

    void anEditSavedWithoutTouchingThePictureKeepsTheCover_data()
    {
        QTest::addColumn<Cover>("value");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("BMP behind a graphic header")
            << Cover(withGraphicHeader(bytesOf(fourColours()))) << QStringList();
        // Shown empty, but never written back as null.
        QTest::newRow("JPEG file") << Cover(jpegStart) << QStringList { notABitmap, notABitmap };
    }

    void anEditSavedWithoutTouchingThePictureKeepsTheCover()
    {
        QFETCH(Cover, value);
        QFETCH(QStringList, errors);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, value);
        auto form = openWindow();
        ModalAnswer answer;
        clickLine(*form, 1);
        settle();
        form->Editcurrentmovie1->trigger();
        settle();
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key_Tab);
        typeInto(form->DBEdit13, "142");
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
        settle();
        QCOMPARE(catalogue.column("Brazil", "Runtime"), QStringLiteral("142"));
        QCOMPARE(catalogue.cover("Brazil"), value);
        QCOMPARE(answer.texts(), errors);
    }

    void cancelAfterPasteShowsTheStoredCoverAgain_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Escape in the picture") << true;
        QTest::newRow("the Cancel button") << false;
    }

    void cancelAfterPasteShowsTheStoredCoverAgain()
    {
        QFETCH(bool, byEscape);
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        const Cover before = catalogue.cover("Alien");
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        QGuiApplication::clipboard()->setImage(trueColourImage());
        QTest::mouseClick(form->DBImage1, Qt::LeftButton);
        QTest::keyClick(form->DBImage1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("4 x 3"));
        if (byEscape)
            QTest::keyClick(form->DBImage1, Qt::Key_Escape);
        else
            QTest::mouseClick(form->BitBtn4, Qt::LeftButton);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(shownSize(*form->DBImage1), QStringLiteral("2 x 2"));
        QCOMPARE(quarterColours(*form->DBImage1), fourColoursShown);
        QVERIFY(!form->DBImage1->modified());
        QCOMPARE(catalogue.cover("Alien"), before);
    }

    void aPictureSetWhileBrowsingIsShownButNeverWritten()
    {
        Catalogue catalogue(threeFilms);
        setCovers(catalogue, Cover());
        const Cover before = catalogue.cover("Alien");
        auto form = openWindow();
        ModalAnswer answer;
        DBImage* control = form->DBImage1;
        QTest::mouseClick(control, Qt::LeftButton);
        control->assignBitmap(nullptr);
        QCOMPARE(shownSize(*control), QStringLiteral("empty"));
        QVERIFY(!control->modified());
        // Escape while browsing reads the column again.
        QTest::keyClick(control, Qt::Key_Escape);
        QCOMPARE(shownSize(*control), QStringLiteral("2 x 2"));

        control->Picture().Assign(form->Image1->Picture());
        QCOMPARE(shownSize(*control), QStringLiteral("90 x 110"));
        QVERIFY(!control->modified());
        // Leaving the control writes nothing and so cannot fail and hold the focus.
        QTest::keyClick(control, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != control);
        form->Editcurrentmovie1->trigger();
        QCOMPARE(form->aqMovies->state(), qsEdit);
        QCOMPARE(shownSize(*control), QStringLiteral("2 x 2"));
        form->BitBtn1->click();
        settle();
        QCOMPARE(answer.texts(), QStringList());
        QCOMPARE(catalogue.cover("Alien"), before);
    }
};

QTEST_MAIN(DBImageClipboardTest)
#include "DBImageClipboard_test.moc"
