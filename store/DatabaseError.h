#pragma once
// The one error a statement raises, apart from the data module so that the statement
// class needs nothing above it.
#include <QString>

#include <stdexcept>

// A failing statement; the callers decide what it means.
class EDatabaseError : public std::runtime_error {
public:
    explicit EDatabaseError(const QString &message, int code = 0)
        : std::runtime_error(message.toStdString()), code(code) {}
    int code;
};
