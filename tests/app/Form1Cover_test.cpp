// Covers brought in through the real window: posters downloaded from the stand-in title service on loopback, and
// picture files chosen by double-clicking the cover. What is stored is compared with `vantrelle-tool cover` of
// the same file.

#include "Catalogue.h"
#include "ModalAnswer.h"
#include "PageServer.h"
#include "StandInTitleService.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/OpenPictureDialog.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/titleservice/Settings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

using namespace vantrelle;
using vantrelle::test::Catalogue;
using vantrelle::test::ModalAnswer;

namespace {

// The stand-in title service's posters.
QString poster(const QString& name)
{
    return QFileInfo(QStringLiteral(VANTRELLE_FIXTURES_DIR "/../../tools/titledata/posters/") + name)
        .canonicalFilePath();
}

// The bytes `vantrelle-tool cover` writes for the file with that extension remembered.
QByteArray toolCover(const QString& file, const QString& extension)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("cover.bmp"));
    QStringList arguments { QStringLiteral("cover"), file, out };
    if (!extension.isEmpty())
        arguments << QStringLiteral("--extension") << extension;
    QProcess tool;
    tool.start(QStringLiteral(VANTRELLE_TOOL), arguments);
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        return QByteArrayLiteral("vantrelle-tool cover failed");
    QFile result(out);
    return result.open(QIODevice::ReadOnly) ? result.readAll() : QByteArray();
}

bool showsABitmap(const app::TForm1& form)
{
    const auto* bitmap = dynamic_cast<const pictures::TBitmap*>(form.DBImage1->Picture().graphic());
    return bitmap && !bitmap->empty();
}

// The import's temporary files left in the working directory.
QStringList leftovers()
{
    return QDir::current().entryList({ QStringLiteral("Picture.tmp"), QStringLiteral("Tmp*") }, QDir::Files);
}

// Types the path into the dialog's file name box and accepts. (selectFile leaves the box alone while it has the
// focus.) A file still selected in the list from an earlier choice would win over the typed name, and typing only
// unselects it while the box has the focus, which a busy machine may not have given it yet: the list is cleared first.
void typeFileName(app::OpenPictureDialog* dialog, const QString& path)
{
    if (auto* list = dialog->findChild<QListView*>(QStringLiteral("listView")))
        list->clearSelection();
    if (auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        box->setText(path);
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept is protected
}

// What the picture dialog showed before the file was chosen.
struct SeenDialog {
    QStringList filters;
    bool brokenPreviewEmpty = false;
    bool filePreviewShown = false;
};

// Answers the picture dialog: previews a file that cannot be read and `file`, then chooses `file`. The checks are
// made after the dialog has closed, so that a failing one cannot leave it open.
std::function<void(QWidget*)> choose(const QString& file, SeenDialog& seen, std::function<void()> meanwhile = {})
{
    return [=, &seen](QWidget* modal) {
        auto* dialog = qobject_cast<app::OpenPictureDialog*>(modal);
        if (!dialog) {
            qobject_cast<QDialog*>(modal)->reject();
            return;
        }
        seen.filters = dialog->nameFilters();
        QFile broken(QDir::current().filePath(QStringLiteral("broken.gif")));
        if (broken.open(QIODevice::WriteOnly))
            broken.write("GIF");
        broken.close();
        emit dialog->currentChanged(broken.fileName());
        seen.brokenPreviewEmpty = dialog->preview().isNull();
        broken.remove();
        emit dialog->currentChanged(file);
        seen.filePreviewShown = !dialog->preview().isNull();
        if (meanwhile)
            meanwhile();
        typeFileName(dialog, file);
    };
}

void checkDialog(const SeenDialog& seen)
{
    QCOMPARE(seen.filters.size(), 7);
    QCOMPARE(seen.filters.value(0), QStringLiteral("All (*.jpg *.jpeg *.gif *.bmp *.ico *.emf *.wmf)"));
    QCOMPARE(seen.filters.value(1), QStringLiteral("JPEG Image File (*.jpg *.jpeg)"));
    QCOMPARE(seen.filters.value(2), QStringLiteral("GIF Image (*.gif)"));
    QVERIFY(seen.brokenPreviewEmpty);
    QVERIFY(seen.filePreviewShown);
}

} // namespace

class Form1CoverTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::StandInTitleService> m_service;

private slots:
    void initTestCase() { m_service = test::startTitleService(); }

    void aDownloadedPosterIsStoredAsThePaletteBitmap_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::string>("extension");
        QTest::newRow("jpeg") << QStringLiteral("0100001") << QStringLiteral("0100001.jpg") << std::string(".jpg");
        QTest::newRow("gif") << QStringLiteral("0100002") << QStringLiteral("0100002.gif") << std::string(".gif");
    }

    void aDownloadedPosterIsStoredAsThePaletteBitmap()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(std::string, extension);
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        form->Addnewmovie1->trigger();
        {
            ModalAnswer answer(QMessageBox::Ok, [&](QWidget* modal) {
                auto* box = qobject_cast<QInputDialog*>(modal);
                QVERIFY(box);
                box->setTextValue(number);
                box->accept();
            });
            form->SearchByNumber1->trigger();
            // The placeholder shows at once, the poster once its download has ended.
            QTRY_VERIFY_WITH_TIMEOUT(!form->TitleLookup1->Http2->busy(), 20000);
            QVERIFY(showsABitmap(*form));
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->CoverExtension, extension);
        QCOMPARE(leftovers().join(QLatin1Char(',')), QString());
        const QString title = form->DBEdit1->text();
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);

        const std::optional<QByteArray> stored = catalogue.cover(title);
        QVERIFY(stored);
        QCOMPARE(stored->size() > 28 ? int(stored->at(28)) : 0, 8); // bits per pixel
        QCOMPARE(*stored, toolCover(poster(name), QString::fromStdString(extension)));
    }

    void aChosenFileIsStoredAndAStateChangeMeanwhileIsEditedAgain()
    {
        Catalogue catalogue({ { "Alpha" }, { "Beta" } });
        auto form = test::openWindow();
        const QString gif = poster(QStringLiteral("0100010.gif"));
        const QString jpeg = poster(QStringLiteral("0100003.jpg"));

        form->Editcurrentmovie1->trigger();
        SeenDialog seen;
        {
            ModalAnswer answer(QMessageBox::Ok, choose(gif, seen));
            QTest::mouseDClick(form->DBImage1, Qt::LeftButton);
            QCOMPARE(answer.texts(), QStringList());
        }
        checkDialog(seen);
        QVERIFY(form->DBImage1->modified());
        QCOMPARE(form->CoverExtension, std::string(".gif"));
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(catalogue.cover(QStringLiteral("Alpha")).value_or("null"), toolCover(gif, QString()));

        // The edit is cancelled while the dialog is open: the choice edits the row again.
        form->Editcurrentmovie1->trigger();
        {
            ModalAnswer answer(QMessageBox::Ok, choose(jpeg, seen, [&] { form->aqMovies->cancel(); }));
            QTest::mouseDClick(form->DBImage1, Qt::LeftButton);
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->aqMovies->state(), store::qsEdit);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(catalogue.cover(QStringLiteral("Alpha")).value_or("null"), toolCover(jpeg, QString()));
        QCOMPARE(leftovers().join(QLatin1Char(',')), QString());
    }

    // Typing a path opens the file name box's completion popup; Enter accepts the dialog. The clicks after it go
    // through the window system, as a user's do, so a popup left open would take the first one.
    void enterOnATypedPathLosesNoClick()
    {
        Catalogue catalogue({ { "Alpha" } });
        auto form = test::openWindow();
        const QString gif = poster(QStringLiteral("0100010.gif"));
        QVERIFY(!gif.isEmpty());
        form->Editcurrentmovie1->trigger();
        bool popupShown = false;
        {
            ModalAnswer answer(QMessageBox::Ok, [&](QWidget* modal) {
                auto* dialog = qobject_cast<app::OpenPictureDialog*>(modal);
                QVERIFY(dialog);
                // A failing check returns early: the dialog must not stay open for the answer to be tried again.
                const auto closeOnFailure = qScopeGuard([dialog] {
                    if (dialog->isVisible())
                        dialog->reject();
                });
                auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(box);
                QTRY_COMPARE(QApplication::focusWidget(), box);
                // All but the last letter: the popup offers the file.
                QTest::keyClicks(box, gif.chopped(1));
                QTRY_VERIFY(box->completer() && box->completer()->popup()->isVisible());
                popupShown = true;
                QTest::keyClick(static_cast<QWidget*>(nullptr), gif.back().toLatin1());
                QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Return);
            });
            QTest::mouseDClick(form->DBImage1, Qt::LeftButton);
            QCOMPARE(answer.texts(), QStringList());
        }
        QVERIFY(popupShown);
        QVERIFY(showsABitmap(*form));
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QTest::mouseClick(
            form->windowHandle(), Qt::LeftButton, {}, form->BitBtn1->mapTo(form.get(), form->BitBtn1->rect().center()));
        QCOMPARE(form->aqMovies->state(), store::qsBrowse);
        QCOMPARE(catalogue.cover(QStringLiteral("Alpha")).value_or("null"), toolCover(gif, QString()));
    }

    void nothingHappensWhileBrowsingOrWhenTheDialogIsCancelled()
    {
        Catalogue catalogue({ { "Alpha" } });
        auto form = test::openWindow();
        form->CoverExtension = ".bmp";
        {
            ModalAnswer answer(QMessageBox::Ok, [](QWidget*) { QFAIL("a dialog opened while browsing"); });
            QTest::mouseDClick(form->DBImage1, Qt::LeftButton);
            QTest::qWait(100);
        }
        form->Editcurrentmovie1->trigger();
        const pictures::TGraphic* before = form->DBImage1->Picture().graphic();
        {
            ModalAnswer answer(QMessageBox::Ok, [](QWidget* modal) {
                QVERIFY(qobject_cast<app::OpenPictureDialog*>(modal));
                qobject_cast<QDialog*>(modal)->reject();
            });
            QTest::mouseDClick(form->DBImage1, Qt::LeftButton);
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->CoverExtension, std::string(".bmp"));
        QCOMPARE(form->DBImage1->Picture().graphic(), before);
        QVERIFY(!form->DBImage1->modified());
        QCOMPARE(form->aqMovies->state(), store::qsEdit);
    }

    // The picture dialog without a mouse: Enter or Space on the picture, Ctrl+O anywhere, while a film is changed.
    void theKeyboardOpensThePictureDialog_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("focus"); // the object name of the control with the focus
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Enter on the picture") << true << "DBImage1" << QKeySequence(Qt::Key_Return) << true;
        QTest::newRow("Space on the picture") << true << "DBImage1" << QKeySequence(Qt::Key_Space) << true;
        QTest::newRow("Ctrl+O in a box") << true << "DBEdit3" << QKeySequence(QKeySequence::Open) << true;
        QTest::newRow("Ctrl+O while browsing") << false << "DBGrid1" << QKeySequence(QKeySequence::Open) << false;
        QTest::newRow("Enter while browsing") << false << "DBImage1" << QKeySequence(Qt::Key_Return) << false;
    }

    void theKeyboardOpensThePictureDialog()
    {
        QFETCH(bool, editing);
        QFETCH(QString, focus);
        QFETCH(QKeySequence, keys);
        QFETCH(bool, opens);
        Catalogue catalogue({ { "Alpha" } });
        auto form = test::openWindow();
        QVERIFY(form->DBImage1->toolTip().contains(QStringLiteral("Ctrl+O")));
        if (editing)
            form->Editcurrentmovie1->trigger();
        auto* control = form->findChild<QWidget*>(focus);
        QVERIFY(control);
        control->setFocus();
        const QString gif = poster(QStringLiteral("0100010.gif"));
        bool opened = false;
        {
            ModalAnswer answer(QMessageBox::Ok, [&](QWidget* modal) {
                auto* dialog = qobject_cast<app::OpenPictureDialog*>(modal);
                opened = dialog != nullptr;
                if (dialog)
                    typeFileName(dialog, gif);
                else
                    qobject_cast<QDialog*>(modal)->reject();
            });
            QTest::keySequence(QApplication::focusWidget(), keys);
            QTest::qWait(100);
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(opened, opens);
        QCOMPARE(form->DBImage1->modified(), opens);
    }

    // A lookup whose film has no poster keeps a cover the user chose from a file for the new film; the placeholder
    // would only lose it.
    void aChosenCoverOutlivesALookupWithoutAPoster()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        const QString gif = poster(QStringLiteral("0100010.gif"));
        form->Addnewmovie1->trigger();
        {
            ModalAnswer answer(QMessageBox::Ok, [&](QWidget* modal) {
                if (auto* dialog = qobject_cast<app::OpenPictureDialog*>(modal))
                    typeFileName(dialog, gif);
                else if (auto* box = qobject_cast<QInputDialog*>(modal)) {
                    box->setTextValue(QStringLiteral("0100004")); // "Copper Sky", without a poster
                    box->accept();
                }
            });
            QTest::keySequence(form->DBEdit1, QKeySequence::Open);
            QVERIFY(showsABitmap(*form));
            form->SearchByNumber1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Copper Sky"));
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(catalogue.cover(QStringLiteral("Copper Sky")).value_or("null"), toolCover(gif, QString()));
    }

    void aChosenFileThatFailsShowsItsMessage()
    {
        Catalogue catalogue({ { "Alpha" } });
        auto form = test::openWindow();
        form->CoverExtension = ".jpg"; // left by a poster URL
        QFile page(QDir::current().filePath(QStringLiteral("page.jpg")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><body>Not Found</body></html>");
        page.close();
        form->Editcurrentmovie1->trigger();
        ModalAnswer answer(QMessageBox::Ok, [&](QWidget* modal) {
            auto* dialog = qobject_cast<app::OpenPictureDialog*>(modal);
            QVERIFY(dialog);
            typeFileName(dialog, page.fileName());
        });
        QTest::mouseDClick(form->DBImage1, Qt::LeftButton);
        QTRY_COMPARE(answer.texts(), QStringList({ QStringLiteral("JPEG error #53.") }));
        QCOMPARE(answer.boxes()[0].icon, QMessageBox::Critical);
        QVERIFY(!form->DBImage1->modified());
    }

    // A second lookup starts a whole new film: no value and no poster of the first stays. Its poster fails (an
    // error page, a cut transfer): the placeholder stays, the user is told, and the placeholder is stored. Files of
    // the user's named like the import's temporary files stay as they were.
    void aSecondLookupWhosePosterFailsKeepsNothingOfTheFirst_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("error page") << QStringLiteral("1")
                                    << QStringLiteral("The poster could not be downloaded: the server answered with "
                                                      "status 404.");
        QTest::newRow("cut transfer") << QStringLiteral("2") << QStringLiteral("The poster could not be downloaded: ");
        QTest::newRow("not a picture") << QStringLiteral("3")
                                       << QStringLiteral("The poster could not be read: JPEG error #53.");
    }

    void aSecondLookupWhosePosterFailsKeepsNothingOfTheFirst()
    {
        QFETCH(QString, number);
        QFETCH(QString, message);
        Catalogue catalogue(std::vector<test::Film> {});
        const std::string poster = std::string(titleservice::PosterBaseURL) + "/Covers/";
        const std::string title = std::string(titleservice::TitleServiceBaseURL) + "/Title?";
        test::PageServer pages({
            { title + "1", { 200, test::titlePage("No Year", poster + "missing.jpg") } },
            { title + "2", { 200, test::titlePage("No Year", poster + "cut.jpg") } },
            { poster + "cut.jpg", { 200, std::string(5000, 'c'), true } },
            { title + "3", { 200, test::titlePage("No Year", poster + "page.jpg") } },
            { poster + "page.jpg", { 200, "<html><body>Sorry</body></html>" } },
        });
        const QByteArray own = "notes of the user's";
        for (const QString& name : { QStringLiteral("Tmp.jpg"), QStringLiteral("Picture.tmp") }) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(own);
        }
        auto form = test::openWindow();
        form->Addnewmovie1->trigger();
        QString typed;
        ModalAnswer answer(QMessageBox::Ok, [&typed](QWidget* modal) {
            auto* box = qobject_cast<QInputDialog*>(modal);
            QVERIFY(box);
            box->setTextValue(typed);
            box->accept();
        });
        const auto lookUp = [&](const QString& number) {
            typed = number;
            form->SearchByNumber1->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(!form->TitleLookup1->Http2->busy(), 20000);
        };
        lookUp(QStringLiteral("0100001"));
        QTRY_VERIFY(showsABitmap(*form));
        QCOMPARE(form->DBEdit17->text(), QStringLiteral("1987"));

        form->TitleLookup1->setProxy(pages.proxy());
        lookUp(number);
        QTRY_COMPARE_WITH_TIMEOUT(answer.texts().size(), 1, 20000);
        QVERIFY2(answer.texts()[0].startsWith(message), qPrintable(answer.texts()[0]));
        QCOMPARE(answer.boxes()[0].icon, QMessageBox::Warning);
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("No Year"));
        QCOMPARE(form->DBEdit17->text(), QString());
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);

        QCOMPARE(catalogue.column(QStringLiteral("No Year"), QStringLiteral("Year")), QStringLiteral("NULL"));
        QCOMPARE(catalogue.cover(QStringLiteral("No Year")).value_or("null").size(), 11198); // the placeholder
        QCOMPARE(leftovers(), QStringList({ QStringLiteral("Picture.tmp"), QStringLiteral("Tmp.jpg") }));
        for (const QString& name : leftovers()) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), own);
        }
    }

    // A poster that arrives after its film was cancelled is shown while browsing, never stored.
    void aLatePosterIsOnlyShown()
    {
        Catalogue catalogue({ { "Alpha" } });
        QFile gif(poster(QStringLiteral("0100002.gif")));
        QVERIFY(gif.open(QIODevice::ReadOnly));
        const std::string title = std::string(titleservice::TitleServiceBaseURL) + "/Title?1";
        const std::string slow = std::string(titleservice::PosterBaseURL) + "/Covers/slow.gif";
        test::PageServer pages({
            { title, { 200, test::titlePage("Slow (2005)", slow) } },
            { slow, { 200, gif.readAll().toStdString(), false, 1500 } },
        });
        auto form = test::openWindow();
        form->TitleLookup1->setProxy(pages.proxy());
        ModalAnswer answer(QMessageBox::Ok, [](QWidget* modal) {
            auto* box = qobject_cast<QInputDialog*>(modal);
            QVERIFY(box);
            box->setTextValue(QStringLiteral("1"));
            box->accept();
        });
        form->Addnewmovie1->trigger();
        form->SearchByNumber1->trigger();
        QVERIFY(form->TitleLookup1->Http2->busy());
        form->BitBtn4->click();
        QTRY_VERIFY_WITH_TIMEOUT(showsABitmap(*form), 20000);
        QCOMPARE(form->aqMovies->state(), store::qsBrowse);
        QVERIFY(!form->DBImage1->modified());
        form->Editcurrentmovie1->trigger();
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QVERIFY(!catalogue.cover(QStringLiteral("Alpha")));
        QCOMPARE(answer.texts(), QStringList());
        QCOMPARE(leftovers().join(QLatin1Char(',')), QString());
    }
};

QTEST_MAIN(Form1CoverTest)
#include "Form1Cover_test.moc"
