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

} // namespace

LocalTitleService::LocalTitleService(TForm1& form)
    : LocalTitleService(form, userIndexOrNone())
{
}

LocalTitleService::LocalTitleService(TForm1& form, const std::filesystem::path& index)
{
    std::error_code ignored;
    if (index.empty() || !std::filesystem::exists(index, ignored))
        return;
    try {
        auto server = std::make_unique<titleindex::TitleServer>(index);
        const int port = server->start();
        form.TitleLookup1->setProxy("http://127.0.0.1:" + std::to_string(port));
        m_server = std::move(server);
    } catch (const std::exception& e) {
        // The server's message names the file and says what is wrong with it.
        showMessageBox(QMessageBox::Warning,
            errorBoxText(e.what()) + QStringLiteral("\nFilms are looked up at the online title service instead."),
            &form);
    }
}

LocalTitleService::~LocalTitleService() = default;

} // namespace vantrelle::app
