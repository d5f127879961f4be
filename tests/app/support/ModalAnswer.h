#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

namespace vantrelle::test {

// What a message box showed.
struct SeenMessageBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QList<QString> buttons;
    QString defaultButton;
    bool applicationModal;
};

// While it lives, answers every modal widget that opens: a message box is recorded
// and answered with `answer`; any other modal widget is handed to `otherModal`.
// Modal loops run their own event loop, so the answers come from a timer.
class ModalAnswer : public QObject {
    Q_OBJECT

public:
    explicit ModalAnswer(
        QMessageBox::StandardButton answer = QMessageBox::Ok, std::function<void(QWidget*)> otherModal = {});
    ~ModalAnswer() override;

    const std::vector<SeenMessageBox>& boxes() const { return m_boxes; }
    QStringList texts() const;

private:
    void poll();

    QMessageBox::StandardButton m_answer;
    std::function<void(QWidget*)> m_otherModal;
    std::vector<SeenMessageBox> m_boxes;
    QWidget* m_handling = nullptr;
    QTimer m_timer;
};

} // namespace vantrelle::test
