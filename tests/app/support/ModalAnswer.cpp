#include "ModalAnswer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

namespace vantrelle::test {

ModalAnswer::ModalAnswer(QMessageBox::StandardButton answer, std::function<void(QWidget*)> otherModal)
    : m_answer(answer)
    , m_otherModal(std::move(otherModal))
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswer::poll);
    m_timer.start(10);
}

ModalAnswer::~ModalAnswer()
{
    m_timer.stop();
}

QStringList ModalAnswer::texts() const
{
    QStringList result;
    for (const SeenMessageBox& box : m_boxes)
        result.append(box.text);
    return result;
}

void ModalAnswer::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_handling || !modal->isVisible())
        return;
    m_handling = modal;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        SeenMessageBox seen { box->windowTitle(), box->text(), box->icon(), {}, {},
            box->windowModality() == Qt::ApplicationModal };
        for (QAbstractButton* button : box->buttons())
            seen.buttons.append(button->text());
        if (box->defaultButton())
            seen.defaultButton = box->defaultButton()->text();
        m_boxes.push_back(seen);
        QAbstractButton* answer = box->button(m_answer);
        if (answer)
            answer->click();
        else
            box->reject();
    } else if (m_otherModal) {
        m_otherModal(modal);
    }
    m_handling = nullptr;
}

} // namespace vantrelle::test
