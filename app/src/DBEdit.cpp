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
    setDataSource(source);
    if (const store::Field* column = field()) {
        // Text columns hold at most their size in characters; integer boxes have no limit.
        if (column->size() > 0)
            setMaxLength(column->size());
    }
    showColumn();
}

store::Field* DBEdit::field() const
{
    store::MoviesQuery* query = dataSet();
    return query ? &query->fieldByName(m_columnName) : nullptr;
}

bool DBEdit::isIntegerBox() const
{
    const store::Field* column = field();
    return column
        && (column->dataType() == store::FieldType::ftInteger || column->dataType() == store::FieldType::ftAutoInc);
}

void DBEdit::showColumn()
{
    const store::Field* column = field();
    if (!column || !dataSet()->active()) {
        setText(QString());
        return;
    }
    const bool typingInto = hasFocus() && editing();
    setText(QString::fromStdString(typingInto ? column->editText() : column->displayText()));
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
    field()->setAsString(text().toStdString());
    setModified(false);
}

void DBEdit::returnFocusAfterFailure()
{
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void DBEdit::stateChanged(store::QueryState state)
{
    setReadOnly(!editing());
    if (state == qsClosed)
        setText(QString());
    else
        showColumn();
}

void DBEdit::dataSetChanged()
{
    showColumn();
}

void DBEdit::dataSetScrolled()
{
    showColumn();
}

void DBEdit::recordChanged(const store::Field* field)
{
    if (!field || field->fieldName() == m_columnName)
        showColumn();
}

void DBEdit::updateRecord()
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
        if (editing()) {
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
    if (plainCharacter && isIntegerBox() && dataSet()->active()) {
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
