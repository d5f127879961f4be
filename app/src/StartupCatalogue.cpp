#include "vantrelle/app/StartupCatalogue.h"

#include "vantrelle/Error.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/store/Schema.h"

#include <QMessageBox>

namespace vantrelle::app {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCatalogueName = "Movies.mdb";

fs::path userCatalogue()
{
    const fs::path folder = userDataDir();
    const fs::path file = folder / kCatalogueName;
    if (fs::exists(file))
        return file;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw Error("Cannot create the folder '" + folder.string() + "' for your catalogue: " + error.message());
    store::createCatalogue(file);
    return file;
}

} // namespace

fs::path startupCatalogue(const std::optional<std::string>& file)
{
    if (file)
        return fs::absolute(*file).lexically_normal();
    if (fs::exists(kCatalogueName))
        return fs::absolute(kCatalogueName);
    return userCatalogue();
}

bool offerToCreateCatalogue(const fs::path& file)
{
    std::error_code ignored;
    if (fs::exists(file, ignored))
        return true;
    QMessageBox ask(QMessageBox::Question, QStringLiteral("Vantrelle"),
        QStringLiteral("The catalogue \"%1\" does not exist.\nCreate an empty catalogue there?")
            .arg(QString::fromStdString(file.string())),
        QMessageBox::Yes | QMessageBox::No);
    ask.setDefaultButton(QMessageBox::Yes);
    if (ask.exec() != QMessageBox::Yes)
        return false;
    store::createCatalogue(file);
    return true;
}

} // namespace vantrelle::app
