// Connection options and attributes: the cores of SQLSetConnectAttr,
// SQLGetConnectAttr, SQLSetConnectOption and SQLGetConnectOption. Statement
// options set here become the connection's defaults and reach every statement.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>

#include "common/message_ids.h"

struct ConnectionHandle;

// What a connection option answers, written out at the width ODBC gives it.
struct ConnectionAnswer {
  enum class Kind { kInteger, kWindow, kText };
  Kind kind = Kind::kInteger;
  SQLUINTEGER number = 0;
  std::string text;
};

// ODBC 2 options: integers in value, texts as pointers in value. Switching
// autocommit on commits first; a failed commit leaves autocommit off and
// returns the commit's failure.
MessageId SetConnectionOption(ConnectionHandle& connection, SQLUSMALLINT option, SQLULEN value);
MessageId GetConnectionOption(const ConnectionHandle& connection, SQLUSMALLINT option, ConnectionAnswer& answer);

MessageId SetConnectionAttribute(ConnectionHandle& connection, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER stringLength);
MessageId GetConnectionAttribute(const ConnectionHandle& connection, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER bufferLength, SQLINTEGER* stringLength);

// Writes an answer: an SQLUINTEGER, a window handle, or text cut to
// bufferLength with 1002. stringLength gets the width or the text's length.
MessageId WriteConnectionAnswer(const ConnectionAnswer& answer, SQLPOINTER value, SQLINTEGER bufferLength,
                                SQLINTEGER* stringLength);
