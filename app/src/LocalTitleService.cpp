#include "vantrelle/app/LocalTitleService.h"

#include "vantrelle/Error.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/titleindex/TitleServer.h"

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

} // namespace

LocalTitleService::LocalTitleService(TForm1& form)
    : LocalTitleService(form, userIndexOrNone(), indexNamedByUser())
{
}

LocalTitleService::LocalTitleService(TForm1& form, const std::filesystem::path& index, bool namedByUser)
{
    std::error_code ignored;
    if (index.empty())
        return;
    if (!std::filesystem::exists(index, ignored)) {
        if (namedByUser)
            warnOver(form,
                QStringLiteral("The title index \"%1\" named by VANTRELLE_TITLE_INDEX does not exist")
                    .arg(QString::fromStdString(index.string())));
        return;
    }
    try {
        auto server = std::make_unique<titleindex::TitleServer>(index);
        const int port = server->start();
        form.TitleLookup1->setProxy("http://127.0.0.1:" + std::to_string(port));
        m_server = std::move(server);
    } catch (const std::exception& e) {
        // The server's message names the file and says what is wrong with it.
        warnOver(form, QString::fromStdString(e.what()));
    }
}

LocalTitleService::~LocalTitleService() = default;

} // namespace vantrelle::app
