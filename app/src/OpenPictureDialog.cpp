#include "vantrelle/app/OpenPictureDialog.h"

#include "vantrelle/app/BitmapImage.h"
#include "vantrelle/pictures/Picture.h"
#include "vantrelle/pictures/PictureFormats.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>

#include <exception>

namespace vantrelle::app {

namespace {

constexpr int kPreviewSide = 160;

// The registry's filter ("Description (*.a;*.b)|*.a;*.b|...") as Qt's name filters, whose patterns are
// separated by spaces.
QStringList qtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const qsizetype open = description.lastIndexOf(QLatin1String(" ("));
        if (open >= 0)
            description.truncate(open);
        filters << description + QLatin1String(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))
                + QLatin1Char(')');
    }
    return filters;
}

} // namespace

OpenPictureDialog::OpenPictureDialog(QWidget* parent)
    : QFileDialog(parent)
    , m_previewPane(nullptr)
{
    setObjectName(QStringLiteral("OpenPictureDialog2"));
    // Qt's own dialog, so that the preview pane can stand beside the files.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setNameFilters(qtNameFilters(pictures::PictureFilter()));

    m_previewPane = new QLabel(this);
    m_previewPane->setObjectName(QStringLiteral("PreviewPane"));
    m_previewPane->setFixedSize(kPreviewSide, kPreviewSide);
    m_previewPane->setAlignment(Qt::AlignCenter);
    m_previewPane->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(m_previewPane, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &OpenPictureDialog::showPreview);
}

bool OpenPictureDialog::Execute()
{
    return exec() == QDialog::Accepted && !selectedFiles().isEmpty();
}

void OpenPictureDialog::done(int result)
{
    QFileDialog::done(result);
    for (const QCompleter* completer : findChildren<QCompleter*>())
        completer->popup()->hide();
}

std::string OpenPictureDialog::FileName() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? std::string() : files.first().toStdString();
}

void OpenPictureDialog::showPreview(const QString& path)
{
    m_preview = QImage();
    try {
        pictures::TPicture picture;
        pictures::LoadPictureFile(picture, path.toStdString());
        if (picture.graphic())
            m_preview = graphicImage(*picture.graphic());
    } catch (const std::exception&) {
        // Only the preview fails (it stays empty): the user may still choose the file, and its import says
        // what is wrong.
    }
    m_previewPane->setPixmap(m_preview.isNull() ? QPixmap()
                                                : QPixmap::fromImage(m_preview.scaled(kPreviewSide, kPreviewSide,
                                                    Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

} // namespace vantrelle::app
