#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

// Answers the modal dialogs as they come: `actions` runs on each in turn.
class ModalAnswers : public QObject {
public:
    explicit ModalAnswers(std::vector<std::function<bool(QWidget*)>> actions)
        : m_actions(std::move(actions)) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || m_next >= m_actions.size()) return;
            if (m_actions[m_next](modal)) ++m_next;
        });
        m_timer.start(20);
    }
    std::size_t answered() const { return m_next; }

private:
    std::vector<std::function<bool(QWidget*)>> m_actions;
    std::size_t m_next = 0;
    QTimer m_timer;
};
