#include "vantrelle/app/DBEdit.h"

#include "FocusWrite.h"
#include "vantrelle/store/Field.h"
#include "vantrelle/store/MoviesQuery.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

namespace vantrelle::app {

using store::qsClosed;

DBEdit::DBEdit(std::string columnName, QWidget* parent)
    : QLineEdit(parent)
    , m_columnName(std::move(columnName))
{
    setReadOnly(true);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void DBEdit::bind(store::DataSource* source)
{
    SetDataSource(source);
    if (const store::Field* field = Field()) {
        // Text columns hold at most their size in characters; integer boxes have no limit.
        if (field->Size() > 0)
            setMaxLength(field->Size());
    }
    showColumn();
}

store::Field* DBEdit::Field() const
{
    store::MoviesQuery* query = DataSet();
    return query ? &query->FieldByName(m_columnName) : nullptr;
}

bool DBEdit::isIntegerBox() const
{
    const store::Field* field = Field();
    return field
        && (field->DataType() == store::FieldType::ftInteger || field->DataType() == store::FieldType::ftAutoInc);
}

void DBEdit::showColumn()
{
    const store::Field* field = Field();
    if (!field || !DataSet()->Active()) {
        setText(QString());
        return;
    }
    const bool typingInto = hasFocus() && Editing();
    setText(QString::fromStdString(typingInto ? field->EditText() : field->DisplayText()));
    showBeginningUnlessFocused();
}

void DBEdit::showBeginningUnlessFocused()
{
    // A line edit scrolls to keep its caret in view, and setText puts the caret at the end: a long
    // title would show only its end.
    if (!hasFocus())
        setCursorPosition(0);
}

void DBEdit::writeChange()
{
    if (!isModified())
        return;
    Field()->SetAsString(text().toStdString());
    setModified(false);
}

void DBEdit::returnFocusAfterFailure()
{
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void DBEdit::StateChanged(store::QueryState state)
{
    setReadOnly(!Editing());
    if (state == qsClosed)
        setText(QString());
    else
        showColumn();
}

void DBEdit::DataSetChanged()
{
    showColumn();
}

void DBEdit::DataSetScrolled()
{
    showColumn();
}

void DBEdit::RecordChanged(const store::Field* field)
{
    if (!field || field->FieldName() == m_columnName)
        showColumn();
}

void DBEdit::UpdateRecord()
{
    try {
        writeChange();
    } catch (...) {
        returnFocusAfterFailure();
        throw;
    }
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (Editing()) {
            event->ignore(); // the window's Cancel button takes it
            return;
        }
        showColumn();
        selectAll();
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool plainCharacter = !typed.isEmpty() && typed.front().isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plainCharacter && isIntegerBox() && DataSet()->Active()) {
        const bool allowed = typed.size() == 1
            && (typed.front().isDigit() || typed.front() == u'+' || typed.front() == u'-')
            && typed.front().unicode() < 128;
        if (!allowed) {
            QApplication::beep();
            emit keyRefused();
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // A box holding text that failed to be written keeps it for correcting.
    if (!isModified())
        showColumn();
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!leavesControl(event))
        return;
    if (!isModified()) {
        showColumn();
        return;
    }
    writeOnLeaving(
        event, [this] { writeChange(); }, [this] { returnFocusAfterFailure(); });
}

} // namespace vantrelle::app
