#include "vantrelle/app/DBEdit.h"

#include "FocusWrite.h"
#include "vantrelle/store/Field.h"
#include "vantrelle/store/MoviesQuery.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include <algorithm>

namespace vantrelle::app {

using store::qsClosed;

namespace {

qsizetype characterCount(QStringView text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!text[i].isLowSurrogate() || i == 0 || !text[i - 1].isHighSurrogate())
            ++count;
    return count;
}

// The UTF-16 length of the first `characters` characters of `text`: never between the halves of a pair.
qsizetype unitsOfCharacters(QStringView text, qsizetype characters)
{
    qsizetype units = 0;
    for (; characters > 0 && units < text.size(); --characters)
        units += text[units].isHighSurrogate() && units + 1 < text.size() && text[units + 1].isLowSurrogate() ? 2 : 1;
    return units;
}

} // namespace

DBEdit::DBEdit(std::string columnName, QWidget* parent)
    : QLineEdit(parent)
    , m_columnName(std::move(columnName))
{
    setReadOnly(true);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QLineEdit::textEdited, this, &DBEdit::keepWithinColumnSize);
    // The text an edit started from: a text over the limit is about to be cut, whichever signal comes first.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (m_maxCharacters <= 0 || characterCount(text()) <= m_maxCharacters)
            m_textBefore = text();
    });
}

// The column counts characters, a line edit's own limit UTF-16 units, which would both halve what an emoji title
// may hold and cut an emoji in two. What an edit inserted beyond the column's size is dropped, from its end and
// at a character's boundary, as a limit on typing and pasting does.
void DBEdit::keepWithinColumnSize()
{
    const QString now = text();
    if (m_maxCharacters <= 0 || characterCount(now) <= m_maxCharacters)
        return;
    const QStringView before = m_textBefore;
    qsizetype prefix = 0;
    while (prefix < now.size() && prefix < before.size() && now[prefix] == before[prefix])
        ++prefix;
    if (prefix > 0 && now[prefix - 1].isHighSurrogate())
        --prefix;
    qsizetype suffix = 0;
    while (suffix < now.size() - prefix && suffix < before.size() - prefix
        && now[now.size() - 1 - suffix] == before[before.size() - 1 - suffix])
        ++suffix;
    if (suffix > 0 && now[now.size() - suffix].isLowSurrogate())
        --suffix;
    const QStringView head = QStringView(now).left(prefix);
    const QStringView tail = QStringView(now).right(suffix);
    const QStringView inserted = QStringView(now).mid(prefix, now.size() - prefix - suffix);
    const qsizetype room = std::max<qsizetype>(0, m_maxCharacters - characterCount(head) - characterCount(tail));
    const QStringView kept = inserted.left(unitsOfCharacters(inserted, room));
    setText(head.toString() + kept.toString() + tail.toString());
    setCursorPosition(static_cast<int>(head.size() + kept.size()));
    setModified(true); // setText counts as no edit
}

void DBEdit::bind(store::DataSource* source)
{
    setDataSource(source);
    // Text columns hold at most their size in characters; integer boxes have no limit.
    if (const store::Field* column = field())
        m_maxCharacters = column->size();
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
    // A letter with Alt that no shortcut took still arrives as that letter, and the line edit would insert it.
    const bool plainCharacter = !typed.isEmpty() && typed.front().isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
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
