#include "vantrelle/app/ErrorHandler.h"

#include "vantrelle/CodePage.h"

#include <QApplication>
#include <QFileInfo>

#include <exception>

namespace vantrelle::app {

QString applicationTitle(const QString& executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    name.truncate(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
    // Linux programs are named in lower case: their title still begins with a capital.
    return name.left(1).toUpper() + name.mid(1).toLower();
}

QString applicationTitle()
{
    return applicationTitle(QCoreApplication::applicationFilePath());
}

QString errorBoxText(std::string_view message)
{
    QString text = QString::fromStdString(ansiToUtf8(message));
    // Compared as character codes: a message ending in ".", "!" or ")" keeps its end.
    if (!text.isEmpty() && text.back() > u'.')
        text += u'.';
    return text;
}

void showMessageBox(QMessageBox::Icon icon, const QString& text, QWidget* parent)
{
    QMessageBox box(icon, applicationTitle(), text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void showErrorBox(std::string_view message)
{
    showMessageBox(QMessageBox::Critical, errorBoxText(message), QApplication::activeWindow());
}

void reportCurrentException()
{
    try {
        throw;
    } catch (const std::exception& e) {
        showErrorBox(e.what());
    } catch (...) {
        showErrorBox("An unexpected error occurred");
    }
}

} // namespace vantrelle::app
