// The layer's text type and exception base class.
#pragma once

#include <QString>

#include <exception>
#include <string>

namespace vcl {

using String = QString;

// Base of every exception the layer raises. The application object shows
// Message in its error box; handlers may throw it (or a subclass) freely.
class Exception : public std::exception {
public:
    explicit Exception(const String &message) : Message(message), m_what(message.toStdString()) {}
    const char *what() const noexcept override { return m_what.c_str(); }

    String Message;

private:
    std::string m_what;
};

} // namespace vcl
