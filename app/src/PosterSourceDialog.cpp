#include "vantrelle/app/PosterSourceDialog.h"

#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/PosterSourceKey.h"
#include "vantrelle/postersource/TmdbSource.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrelle::app {

namespace {

QString testText(postersource::KeyCheck check)
{
    switch (check) {
    case postersource::KeyCheck::Accepted:
        return QStringLiteral("TMDB accepts this key.");
    case postersource::KeyCheck::Refused:
        return QStringLiteral("TMDB refuses this key.");
    case postersource::KeyCheck::Unreachable:
        break;
    }
    return QStringLiteral("TMDB cannot be reached, so the key was not checked.");
}

} // namespace

PosterSourceDialog::PosterSourceDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PosterSourceDialog"));
    setWindowTitle(QStringLiteral("Poster Source"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Posters and taglines of films come from The Movie Database (TMDB) with a "
                                            "key of your own: a v3 API key or a read access token, free with an "
                                            "account at https://www.themoviedb.org/settings/api. Without a key, films "
                                            "keep the placeholder cover."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    keyEdit = new QLineEdit(savedPosterSourceKey(), this);
    keyEdit->setObjectName(QStringLiteral("keyEdit"));
    keyEdit->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    keyEdit->setPlaceholderText(QStringLiteral("TMDB key"));
    layout->addWidget(keyEdit);

    if (!qEnvironmentVariableIsEmpty("VANTRELLE_TMDB_KEY")) {
        auto* note
            = new QLabel(QStringLiteral("VANTRELLE_TMDB_KEY is set: it is used instead of the key saved here."), this);
        note->setObjectName(QStringLiteral("environmentNote"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }

    testButton = new QPushButton(QStringLiteral("Test"), this);
    testButton->setObjectName(QStringLiteral("testButton"));
    testButton->setAutoDefault(false);
    layout->addWidget(testButton, 0, Qt::AlignLeft);
    testResult = new QLabel(this);
    testResult->setObjectName(QStringLiteral("testResult"));
    layout->addWidget(testResult);

    auto* attribution = new QLabel(
        QString::fromUtf8(postersource::kAttribution.data(), static_cast<qsizetype>(postersource::kAttribution.size())),
        this);
    attribution->setWordWrap(true);
    layout->addWidget(attribution);

    buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &PosterSourceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PosterSourceDialog::reject);
    connect(testButton, &QPushButton::clicked, this, [this] { guarded([this] { testKey(); }); });
}

void PosterSourceDialog::testKey()
{
    postersource::TmdbSettings settings = posterSourceSettings();
    settings.key = keyEdit->text().trimmed().toStdString();
    if (settings.key.empty()) {
        testResult->setText(QStringLiteral("No key to test."));
        return;
    }
    // The check is bounded by the poster source's time budget, a few seconds at most.
    testResult->setText(QStringLiteral("Asking TMDB..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const postersource::KeyCheck check = postersource::TmdbSource(settings).checkKey();
    QApplication::restoreOverrideCursor();
    testResult->setText(testText(check));
}

void PosterSourceDialog::accept()
{
    if (!savePosterSourceKey(keyEdit->text())) {
        showMessageBox(QMessageBox::Warning, QStringLiteral("The key cannot be saved in your configuration."), this);
        return;
    }
    QDialog::accept();
}

} // namespace vantrelle::app
