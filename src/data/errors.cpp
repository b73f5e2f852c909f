#include "errors.h"

Error::Error(const char *className, QString message)
    : m_className(className), m_message(std::move(message)), m_utf8(m_message.toUtf8())
{}
