#pragma once

#include <QString>
#include <stdexcept>

// An error of the store or of a command, carrying the German text the user is shown.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
