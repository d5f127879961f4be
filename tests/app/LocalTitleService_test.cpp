// The window serving a title index to its own lookups: an index imported from the hand-made dataset
// with `vantrelle-tool titles import`, and http_proxy pointing nowhere, so only the index can answer.

#include "Catalogue.h"
#include "ModalAnswer.h"
#include "TestFiles.h"
#include "ToolRun.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/LocalTitleService.h"

#include <QAction>
#include <QInputDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

#include <memory>
#include <optional>

using namespace vantrelle;
using vantrelle::test::Catalogue;
using vantrelle::test::ModalAnswer;

namespace {

// Answers the input box with `typed`.
std::function<void(QWidget*)> type(const QString& typed)
{
    return [=](QWidget* modal) {
        auto* box = qobject_cast<QInputDialog*>(modal);
        QVERIFY(box);
        box->setTextValue(typed);
        box->accept();
    };
}

} // namespace

class LocalTitleServiceTest : public QObject {
    Q_OBJECT

    vantrelle::ScratchDir m_dir;
    std::filesystem::path m_index;

private slots:
    void initTestCase()
    {
        m_index = m_dir / "titles.db";
        const auto import = test::runTool(
            "titles import " + std::string(VANTRELLE_FIXTURES_DIR) + "/titles -o " + m_index.string() + " >/dev/null");
        QCOMPARE(import.exitCode, 0);
        qputenv("http_proxy", "http://127.0.0.1:1");
        qputenv("no_proxy", "");
        qputenv("NO_PROXY", "");
    }

    void fillsAFilmFromTheIndexByNumberAndByName()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        const app::LocalTitleService titles(*form, m_index);
        QVERIFY(titles.serving());

        form->Addnewmovie1->trigger();
        {
            ModalAnswer answer(QMessageBox::Ok, type(QStringLiteral("0000002")));
            form->SearchByNumber1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->focusWidget(), form->DBEdit14);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        const QString salt = QStringLiteral("Salt & Copper");
        QCOMPARE(catalogue.titles(), QStringList({ salt }));
        QCOMPARE(catalogue.column(salt, QStringLiteral("Director")), QStringLiteral("Priya Raman"));
        QCOMPARE(catalogue.column(salt, QStringLiteral("Year")), QStringLiteral("1987"));
        QCOMPARE(catalogue.column(salt, QStringLiteral("Genre")), QStringLiteral("Crime / Thriller"));
        QCOMPARE(catalogue.column(salt, QStringLiteral("Runtime")), QStringLiteral("112"));

        // One match, found without its accents: the search goes straight to its page.
        form->Addnewmovie1->trigger();
        {
            ModalAnswer answer(QMessageBox::Ok, type(QStringLiteral("ete montreuil")));
            form->SearchByName1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Été à Montreuil"));
        QCOMPARE(form->DBEdit2->text(), QStringLiteral("Odile Marchetti-Lévy"));
    }

    void anIndexThatCannotBeServedIsNamedAndTheLookupsGoOnline()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        {
            ModalAnswer answer(QMessageBox::Ok);
            const app::LocalTitleService missing(*form, m_dir / "missing.db");
            QVERIFY(!missing.serving());
            QCOMPARE(answer.texts(), QStringList());
            // The user's own index is missing: the lookups offer to get title data instead.
            QVERIFY(form->titleDataMissing());
        }
        {
            // Named by the user, a missing index is as much a failure as a broken one.
            const QString missing = QString::fromStdString((m_dir / "missing.db").string());
            qputenv("VANTRELLE_TITLE_INDEX", missing.toLocal8Bit());
            const auto unset = qScopeGuard([] { qunsetenv("VANTRELLE_TITLE_INDEX"); });
            std::optional<app::LocalTitleService> named;
            {
                ModalAnswer answer(QMessageBox::Ok);
                named.emplace(*form);
                QVERIFY(!named->serving());
                QVERIFY(!form->titleDataMissing());
                QCOMPARE(answer.texts(),
                    QStringList(
                        { QStringLiteral("The title index \"%1\" named by VANTRELLE_TITLE_INDEX does not exist.\n"
                                         "Films are looked up at the online title service instead.")
                                .arg(missing) }));
                QCOMPARE(answer.boxes()[0].icon, QMessageBox::Warning);
            }

            // A lookup that then fails names the missing index again (the online service is out of reach).
            form->Addnewmovie1->trigger();
            ModalAnswer lookup(QMessageBox::Ok, [](QWidget* modal) {
                if (auto* box = qobject_cast<QInputDialog*>(modal)) {
                    box->setTextValue(QStringLiteral("0100001"));
                    box->accept();
                }
            });
            form->SearchByNumber1->trigger();
            QCOMPARE(lookup.texts().size(), 1);
            QVERIFY2(lookup.texts()[0].endsWith(
                         QStringLiteral("\nThe title index \"%1\" named by VANTRELLE_TITLE_INDEX does not exist.")
                             .arg(missing)),
                qPrintable(lookup.texts()[0]));
            form->BitBtn4->click();
        }
        const auto broken = m_dir / "broken.db";
        test::writeFile(broken, "not a title index");
        ModalAnswer answer(QMessageBox::Ok);
        const app::LocalTitleService titles(*form, broken);
        QVERIFY(!titles.serving());
        QCOMPARE(answer.boxes().size(), std::size_t(1));
        QCOMPARE(answer.boxes()[0].icon, QMessageBox::Warning);
        QCOMPARE(answer.texts(),
            QStringList({ QStringLiteral("\"%1\" is not a title index: file is not a database.\n"
                                         "Films are looked up at the online title service instead.")
                              .arg(QString::fromStdString(broken.string())) }));
        QCOMPARE(form->TitleLookup1->Http1->Proxy(), std::string());
    }
};

QTEST_MAIN(LocalTitleServiceTest)
#include "LocalTitleService_test.moc"
