#include "vantrelle/app/DBImage.h"

#include "FocusWrite.h"
#include "vantrelle/app/BitmapImage.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/store/Field.h"
#include "vantrelle/store/MoviesQuery.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScopedValueRollback>
#include <QTimer>

#include <span>

namespace vantrelle::app {

using pictures::TBitmap;

namespace {

enum class ClipboardCommand { None, Copy, Cut, Paste };

ClipboardCommand clipboardCommand(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (modifiers == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_C:
        case Qt::Key_Insert:
            return ClipboardCommand::Copy;
        case Qt::Key_X:
            return ClipboardCommand::Cut;
        case Qt::Key_V:
            return ClipboardCommand::Paste;
        default:
            return ClipboardCommand::None;
        }
    }
    if (modifiers == Qt::ShiftModifier) {
        if (key == Qt::Key_Delete)
            return ClipboardCommand::Cut;
        if (key == Qt::Key_Insert)
            return ClipboardCommand::Paste;
    }
    return ClipboardCommand::None;
}

} // namespace

DBImage::DBImage(std::string columnName, QWidget* parent)
    : QFrame(parent)
    , m_columnName(std::move(columnName))
    , m_picture([this](pictures::TPicture&) { pictureChanged(); })
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
}

void DBImage::bind(store::DataSource* source)
{
    setDataSource(source);
    readColumn();
}

store::Field* DBImage::field() const
{
    store::MoviesQuery* query = dataSet();
    return query ? &query->fieldByName(m_columnName) : nullptr;
}

void DBImage::assignBitmap(const TBitmap* bitmap)
{
    m_picture.setGraphic(bitmap ? std::make_unique<TBitmap>(*bitmap) : nullptr);
}

void DBImage::pictureChanged()
{
    m_image = QImage();
    if (const pictures::TGraphic* graphic = m_picture.graphic()) {
        try {
            m_image = graphicImage(*graphic);
        } catch (const std::exception&) {
            // A graphic whose data cannot be decoded is held all the same but draws as nothing.
        }
    }
    // Outside an insert or edit the change could never be written: it is only shown.
    if (editing())
        m_modified = true;
    update();
}

void DBImage::readColumn()
{
    std::unique_ptr<TBitmap> bitmap;
    std::string failure;
    const auto* column = dynamic_cast<const store::BlobField*>(field());
    const std::string_view value = column ? column->data() : std::string_view();
    if (!value.empty()) {
        try {
            auto loaded = std::make_unique<TBitmap>();
            loaded->loadFromBlob(std::span(reinterpret_cast<const std::uint8_t*>(value.data()), value.size()));
            bitmap = std::move(loaded);
        } catch (const std::exception& error) {
            failure = error.what();
        }
    }
    m_picture.setGraphic(std::move(bitmap));
    m_modified = false;
    reportReadFailureLater(std::move(failure));
}

void DBImage::reportReadFailureLater(std::string failure)
{
    // Reading happens inside the query's operations, while the other controls are still being told
    // about the new row: the error box waits until the operation is over. It reports the last read
    // of the operation, the one left on the screen.
    m_readFailure = std::move(failure);
    if (m_readFailure.empty() || m_reportScheduled)
        return;
    m_reportScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_reportScheduled = false;
        const std::string message = std::exchange(m_readFailure, std::string());
        if (!message.empty())
            showErrorBox(message);
    });
}

void DBImage::writeChange()
{
    if (!m_modified)
        return;
    store::Field* column = field();
    if (!column)
        return;
    std::vector<std::uint8_t> bytes;
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(m_picture.graphic()))
        bytes = bitmap->saveToBytes();
    {
        // Setting the column tells the bound controls, this one too: the picture already shows it.
        const QScopedValueRollback<bool> writing(m_writing, true);
        if (bytes.empty())
            column->clear();
        else
            dynamic_cast<store::BlobField&>(*column).setAsBytes(std::move(bytes));
    }
    m_modified = false;
}

void DBImage::copyToClipboard()
{
    if (!m_image.isNull())
        QGuiApplication::clipboard()->setImage(m_image);
}

void DBImage::cutToClipboard()
{
    if (!editing() || !m_picture.graphic() || m_picture.graphic()->empty())
        return;
    copyToClipboard();
    m_picture.setGraphic(nullptr);
}

void DBImage::pasteFromClipboard()
{
    if (!editing())
        return;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasImage())
        return;
    const QImage image = clipboard->image();
    if (image.isNull())
        return;
    m_picture.setGraphic(std::make_unique<TBitmap>(fromQImage(image)));
}

void DBImage::dataSetChanged()
{
    readColumn();
}

void DBImage::dataSetScrolled()
{
    readColumn();
}

void DBImage::recordChanged(const store::Field* field)
{
    if (m_writing)
        return;
    if (!field || field->fieldName() == m_columnName)
        readColumn();
}

void DBImage::updateRecord()
{
    writeChange();
}

void DBImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inside = contentsRect();
    if (m_image.isNull())
        painter.fillRect(inside, palette().color(QPalette::Base));
    else
        painter.drawImage(inside, m_image);
    if (window()->focusWidget() == this) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(inside.adjusted(0, 0, -1, -1));
    }
    drawFrame(&painter);
}

void DBImage::keyPressEvent(QKeyEvent* event)
{
    switch (clipboardCommand(event)) {
    case ClipboardCommand::Copy:
        copyToClipboard();
        return;
    case ClipboardCommand::Cut:
        cutToClipboard();
        return;
    case ClipboardCommand::Paste:
        pasteFromClipboard();
        return;
    case ClipboardCommand::None:
        break;
    }
    const bool plainKey = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plainKey
        && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space)) {
        emit activated();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (editing()) {
            event->ignore(); // the window's Cancel button takes it
            return;
        }
        readColumn();
        return;
    }
    QFrame::keyPressEvent(event);
}

void DBImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    QFrame::mouseDoubleClickEvent(event);
    emit activated();
}

void DBImage::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    update();
}

void DBImage::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    update();
    if (leavesControl(event))
        writeOnLeaving(
            event, [this] { writeChange(); }, [this] { setFocus(Qt::OtherFocusReason); });
}

} // namespace vantrelle::app
