#include "vantrelle/app/LocalTitleService.h"

#include "vantrelle/Error.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/PosterSourceKey.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/titlesite/TitleSite.h"
#include "vantrelle/titlesite/TitleSiteServer.h"

#include <QApplication>
#include <QPointer>

#include <exception>
#include <system_error>

namespace vantrelle::app {

namespace {

// The user's index, or nothing when there is no place for it.
std::filesystem::path userIndexOrNone()
{
    try {
        return userTitleIndex();
    } catch (const Error&) {
        return {};
    }
}

// The box that says why the window's lookups go online.
void warnOver(TForm1& form, const QString& reason)
{
    showMessageBox(QMessageBox::Warning,
        errorBoxText(reason.toStdString())
            + QStringLiteral("\nFilms are looked up at the online title service instead."),
        &form);
}

bool indexNamedByUser()
{
    return !qEnvironmentVariableIsEmpty("VANTRELLE_TITLE_INDEX");
}

// Shows the message in a warning box beside the window, which holds up nothing: the poster source
// reports from the service's threads, while the window may wait for a lookup.
void warnBeside(QPointer<TForm1> form, const std::string& message)
{
    const QString text = errorBoxText(message);
    QMetaObject::invokeMethod(
        qApp,
        [form, text] {
            if (!form)
                return;
            auto* box = new QMessageBox(QMessageBox::Warning, applicationTitle(), text, QMessageBox::Ok, form);
            box->setObjectName(QStringLiteral("posterSourceWarning"));
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setModal(false);
            box->show();
        },
        Qt::QueuedConnection);
}

std::shared_ptr<const postersource::PosterSource> userPosterSource(TForm1& form)
{
    return std::make_shared<postersource::TmdbSource>(posterSourceSettings(),
        [form = QPointer<TForm1>(&form)](const std::string& message) { warnBeside(form, message); });
}

} // namespace

LocalTitleService::LocalTitleService(TForm1& form)
    : LocalTitleService(form, userIndexOrNone(), indexNamedByUser())
{
}

LocalTitleService::LocalTitleService(TForm1& form, const std::filesystem::path& index, bool namedByUser)
    : m_connections(std::make_unique<QObject>())
{
    QObject::connect(&form, &TForm1::posterSourceChanged, m_connections.get(), [this, &form] {
        if (m_server)
            m_server->service().setPosterSource(userPosterSource(form));
    });
    // A new index is served at once; the old server goes when the new one listens.
    QObject::connect(&form, &TForm1::titleIndexChanged, m_connections.get(), [this, &form] {
        if (const std::filesystem::path index = userIndexOrNone(); !index.empty())
            serve(form, index);
    });
    std::error_code ignored;
    if (index.empty())
        return;
    if (!std::filesystem::exists(index, ignored)) {
        form.setTitleDataMissing(!namedByUser);
        if (namedByUser) {
            const QString problem
                = QStringLiteral("The title index \"%1\" named by VANTRELLE_TITLE_INDEX does not exist")
                      .arg(QString::fromStdString(index.string()));
            form.setTitleIndexProblem(errorBoxText(problem.toStdString()).toStdString());
            warnOver(form, problem);
        }
        return;
    }
    serve(form, index);
}

void LocalTitleService::serve(TForm1& form, const std::filesystem::path& index)
{
    try {
        auto server
            = std::make_unique<titlesite::TitleSiteServer>(index, std::filesystem::path(), userPosterSource(form));
        const int port = server->start();
        form.TitleLookup1->setProxy("http://127.0.0.1:" + std::to_string(port));
        m_server = std::move(server);
        form.setTitleDataMissing(false);
    } catch (const std::exception& e) {
        // The server's message names the file and says what is wrong with it.
        warnOver(form, QString::fromStdString(e.what()));
    }
}

LocalTitleService::~LocalTitleService() = default;

} // namespace vantrelle::app
