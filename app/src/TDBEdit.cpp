#include "vantrelle/app/TDBEdit.h"

#include "FocusWrite.h"
#include "vantrelle/store/Field.h"
#include "vantrelle/store/MoviesQuery.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

namespace vantrelle::app {

using store::qsClosed;

TDBEdit::TDBEdit(std::string columnName, QWidget* parent)
    : QLineEdit(parent)
    , m_columnName(std::move(columnName))
{
    setReadOnly(true);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TDBEdit::bind(store::TDataSource* source)
{
    SetDataSource(source);
    if (const store::TField* field = Field()) {
        // Text columns hold at most their size in characters; integer boxes have no limit.
        if (field->Size() > 0)
            setMaxLength(field->Size());
    }
    showColumn();
}

store::TField* TDBEdit::Field() const
{
    store::TMoviesQuery* query = DataSet();
    return query ? &query->FieldByName(m_columnName) : nullptr;
}

bool TDBEdit::isIntegerBox() const
{
    const store::TField* field = Field();
    return field
        && (field->DataType() == store::TFieldType::ftInteger || field->DataType() == store::TFieldType::ftAutoInc);
}

void TDBEdit::showColumn()
{
    const store::TField* field = Field();
    if (!field || !DataSet()->Active()) {
        setText(QString());
        return;
    }
    const bool typingInto = hasFocus() && Editing();
    setText(QString::fromStdString(typingInto ? field->EditText() : field->DisplayText()));
    showBeginningUnlessFocused();
}

void TDBEdit::showBeginningUnlessFocused()
{
    // A line edit scrolls to keep its caret in view, and setText puts the caret at the end: a long
    // title would show only its end.
    if (!hasFocus())
        setCursorPosition(0);
}

void TDBEdit::writeChange()
{
    if (!isModified())
        return;
    Field()->SetAsString(text().toStdString());
    setModified(false);
}

void TDBEdit::returnFocusAfterFailure()
{
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void TDBEdit::StateChanged(store::TQueryState state)
{
    setReadOnly(!Editing());
    if (state == qsClosed)
        setText(QString());
    else
        showColumn();
}

void TDBEdit::DataSetChanged()
{
    showColumn();
}

void TDBEdit::DataSetScrolled()
{
    showColumn();
}

void TDBEdit::RecordChanged(const store::TField* field)
{
    if (!field || field->FieldName() == m_columnName)
        showColumn();
}

void TDBEdit::UpdateRecord()
{
    try {
        writeChange();
    } catch (...) {
        returnFocusAfterFailure();
        throw;
    }
}

void TDBEdit::keyPressEvent(QKeyEvent* event)
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

void TDBEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // A box holding text that failed to be written keeps it for correcting.
    if (!isModified())
        showColumn();
}

void TDBEdit::focusOutEvent(QFocusEvent* event)
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
