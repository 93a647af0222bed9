// Connection options and attributes: values kept only at their defaults,
// statement defaults reaching every statement, autocommit and isolation rules
// that need no held-back writes, and the current catalog.
#include <gtest/gtest.h>

#include <sqlext.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "odbc/connection_attributes.h"
#include "odbc/statement_attributes.h"
#include "odbc_test_handles.h"

namespace {

TEST(ConnectionAttributes, Setters) {
  struct {
    SQLINTEGER attribute;
    SQLULEN value;
    MessageId id;
  } cases[] = {
      {SQL_QUERY_TIMEOUT, 5, kMsgOptionValueChanged},
      {SQL_NOSCAN, SQL_NOSCAN_ON, kMsgOptionalFeature},
      {SQL_ATTR_ASYNC_ENABLE, SQL_ASYNC_ENABLE_ON, kMsgOptionalFeature},
      {SQL_ROWSET_SIZE, 5, kMsgOptionValueChanged},
      {SQL_SIMULATE_CURSOR, 0, kMsgDriverNotCapable},
      {SQL_ATTR_ACCESS_MODE, SQL_MODE_READ_ONLY, kMsgOptionValueChanged},
      {SQL_ATTR_LOGIN_TIMEOUT, 30, kMsgOptionValueChanged},
      {SQL_ATTR_TRACE, SQL_OPT_TRACE_ON, kMsgOptionValueChanged},
      {SQL_ATTR_TRACEFILE, 0, kMsgOptionValueChanged},
      {SQL_ATTR_TRANSLATE_OPTION, 1, kMsgOptionValueChanged},
      {SQL_ATTR_ODBC_CURSORS, SQL_CUR_USE_DRIVER, kMsgDriverNotCapable},
      {SQL_ATTR_CONNECTION_TIMEOUT, 10, kMsgOptionValueChanged},
      {SQL_ATTR_AUTOCOMMIT, 2, kMsgDriverNotCapable},
      {SQL_ATTR_RETRIEVE_DATA, 4, kMsgInvalidAttributeValue},
      {13, 0, kMsgInvalidAttribute},
      {-1, 0, kMsgInvalidAttribute},
      {115, 1, kMsgInvalidAttribute},  // SQL_ATTR_ANSI_APP: same behaviour for ANSI and wide callers
  };
  for (const auto& c : cases) {
    Connection conn(kConnected);
    EXPECT_EQ(SetConnectionAttribute(*conn.connection, c.attribute, Integer(c.value), 0), c.id)
        << c.attribute << "=" << c.value;
  }
  Connection conn(kConnected);
  EXPECT_EQ(SetConnectionOption(*conn.connection, SQL_CURRENT_QUALIFIER, 0), kMsgDriverNotCapable);
  EXPECT_EQ(SetConnectionOption(*conn.connection, 9999, 0), kMsgDriverNotCapable);
}

TEST(ConnectionAttributes, Getters) {
  struct {
    SQLINTEGER attribute;
    MessageId id;
    SQLUINTEGER answer;
  } cases[] = {
      {SQL_ATTR_AUTOCOMMIT, kMsgSuccess, SQL_AUTOCOMMIT_ON},
      {SQL_ATTR_ACCESS_MODE, kMsgSuccess, SQL_MODE_READ_WRITE},
      {SQL_ATTR_TXN_ISOLATION, kMsgSuccess, SQL_TXN_READ_COMMITTED},
      {SQL_ATTR_CONNECTION_DEAD, kMsgSuccess, SQL_CD_FALSE},
      {SQL_ATTR_AUTO_IPD, kMsgSuccess, SQL_TRUE},
      {SQL_ATTR_METADATA_ID, kMsgSuccess, SQL_FALSE},
      {SQL_ATTR_ASYNC_ENABLE, kMsgDriverNotCapable, 0},
      {SQL_ATTR_ODBC_CURSORS, kMsgDriverNotCapable, 0},
      {SQL_QUERY_TIMEOUT, kMsgInvalidAttribute, 0},
      {115, kMsgInvalidAttribute, 0},
  };
  Connection conn(kConnected);
  for (const auto& c : cases) {
    // Guard bytes after the answer show that nothing wider than 32 bits is written.
    SQLUINTEGER buffer[2] = {0xAAAAAAAA, 0xBBBBBBBB};
    SQLINTEGER length = -1;
    EXPECT_EQ(GetConnectionAttribute(*conn.connection, c.attribute, buffer, 0, &length), c.id) << c.attribute;
    if (c.id != kMsgSuccess) continue;
    EXPECT_EQ(buffer[0], c.answer) << c.attribute;
    EXPECT_EQ(buffer[1], 0xBBBBBBBBu) << c.attribute;
    EXPECT_EQ(length, 4) << c.attribute;
  }
  char text[8] = "x";
  SQLINTEGER length = -1;
  EXPECT_EQ(GetConnectionAttribute(*conn.connection, SQL_ATTR_TRACEFILE, text, sizeof text, &length), kMsgSuccess);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(length, 0);
  SQLHWND window = reinterpret_cast<SQLHWND>(1);
  EXPECT_EQ(GetConnectionAttribute(*conn.connection, SQL_ATTR_QUIET_MODE, &window, 0, nullptr), kMsgSuccess);
  EXPECT_EQ(window, nullptr);
}

// A default set on the connection reaches the statements it has and those it
// allocates later.
TEST(ConnectionAttributes, StatementDefaultsReachEveryStatement) {
  struct {
    SQLINTEGER attribute;
    SQLULEN value;
    MessageId id;
    SQLINTEGER statementAttribute;
    SQLULEN statementAnswer;
  } cases[] = {
      {SQL_CURSOR_TYPE, SQL_CURSOR_STATIC, kMsgSuccess, SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC},
      {SQL_CURSOR_TYPE, SQL_CURSOR_KEYSET_DRIVEN, kMsgOptionValueChanged, SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC},
      {SQL_BIND_TYPE, 72, kMsgSuccess, SQL_ATTR_ROW_BIND_TYPE, 72},
      {SQL_RETRIEVE_DATA, SQL_RD_OFF, kMsgSuccess, SQL_ATTR_RETRIEVE_DATA, SQL_RD_OFF},
      {SQL_USE_BOOKMARKS, SQL_UB_VARIABLE, kMsgSuccess, SQL_ATTR_USE_BOOKMARKS, SQL_UB_VARIABLE},
      {SQL_ATTR_METADATA_ID, SQL_TRUE, kMsgSuccess, SQL_ATTR_METADATA_ID, SQL_TRUE},
  };
  for (const auto& c : cases) {
    Connection conn(kConnected);
    StatementHandle* before = conn.NewStatement();
    EXPECT_EQ(SetConnectionAttribute(*conn.connection, c.attribute, Integer(c.value), 0), c.id) << c.attribute;
    StatementHandle* after = conn.NewStatement();
    for (StatementHandle* statement : {before, after}) {
      SQLULEN answer = 0;
      EXPECT_EQ(GetStatementAttribute(*statement, c.statementAttribute, &answer, 0, nullptr), kMsgSuccess);
      EXPECT_EQ(answer, c.statementAnswer) << c.attribute;
    }
  }
  Connection conn(kConnected);
  EXPECT_EQ(SetConnectionOption(*conn.connection, SQL_CURSOR_TYPE, SQL_CURSOR_STATIC), kMsgSuccess);
}

TEST(ConnectionAttributes, OpenResultRefusesDefaultChange) {
  Connection conn(kConnected);
  StatementHandle* idle = conn.NewStatement();
  StatementHandle* open = conn.NewStatement();
  open->statementKind = kStatementQueryResult;
  EXPECT_EQ(SetConnectionOption(*conn.connection, SQL_CURSOR_TYPE, SQL_CURSOR_STATIC), kMsgInvalidCursorState);
  EXPECT_EQ(open->diagnostic.messageId, kMsgInvalidCursorState);
  EXPECT_EQ(idle->cursorType, kCursorForwardOnly);
  EXPECT_EQ(conn.connection->cursorType, kCursorForwardOnly);
  EXPECT_EQ(SetConnectionOption(*conn.connection, SQL_CONCURRENCY, SQL_CONCUR_LOCK), kMsgInvalidCursorState);
  EXPECT_EQ(idle->concurrency, SQL_CONCUR_READ_ONLY);
  // The open result already has this value: no conflict.
  EXPECT_EQ(SetConnectionOption(*conn.connection, SQL_CONCURRENCY, SQL_CONCUR_READ_ONLY), kMsgSuccess);
}

// Before connecting either choice is kept for the connection to come; a
// connection without transactions can only commit each write.
TEST(ConnectionAttributes, AutocommitWithoutTransactions) {
  struct {
    bool connected;
    std::uint16_t capability;
    SQLULEN value;
    MessageId id;
    SQLUINTEGER answer;
  } cases[] = {
      {false, 1, SQL_AUTOCOMMIT_ON, kMsgSuccess, SQL_AUTOCOMMIT_ON},
      {false, 1, SQL_AUTOCOMMIT_OFF, kMsgSuccess, SQL_AUTOCOMMIT_OFF},
      {false, 1, 2, kMsgDriverNotCapable, SQL_AUTOCOMMIT_ON},
      {true, 0, SQL_AUTOCOMMIT_ON, kMsgSuccess, SQL_AUTOCOMMIT_ON},
      {true, 0, SQL_AUTOCOMMIT_OFF, kMsgDriverNotCapable, SQL_AUTOCOMMIT_ON},
  };
  for (const auto& c : cases) {
    Connection conn(c.connected);
    if (c.connected) conn.connection->record->transactionCapability = c.capability;
    EXPECT_EQ(SetConnectionAttribute(*conn.connection, SQL_ATTR_AUTOCOMMIT, Integer(c.value), 0), c.id);
    SQLUINTEGER answer = 7;
    GetConnectionAttribute(*conn.connection, SQL_ATTR_AUTOCOMMIT, &answer, 0, nullptr);
    EXPECT_EQ(answer, c.answer);
  }
}

TEST(ConnectionAttributes, Isolation) {
  struct {
    bool connected;
    std::uint32_t mask;
    bool statementWrote;
    SQLULEN value;
    MessageId id;
    SQLUINTEGER answer;
  } cases[] = {
      {false, 2, false, SQL_TXN_READ_COMMITTED, kMsgDriverNotCapable, 0},
      {true, 2, false, SQL_TXN_READ_COMMITTED, kMsgSuccess, SQL_TXN_READ_COMMITTED},
      {true, 2, true, SQL_TXN_READ_COMMITTED, kMsgSuccess, SQL_TXN_READ_COMMITTED},
      {true, 2, true, SQL_TXN_SERIALIZABLE, kMsgTransactionActive, SQL_TXN_READ_COMMITTED},
      {true, 2, false, SQL_TXN_SERIALIZABLE, kMsgNotSupported, SQL_TXN_READ_COMMITTED},
      {true, 2 | 8, false, SQL_TXN_SERIALIZABLE, kMsgSuccess, SQL_TXN_SERIALIZABLE},
      // Two levels at once name no level, even when one of them is offered.
      {true, 2, false, SQL_TXN_READ_UNCOMMITTED | SQL_TXN_READ_COMMITTED | 4, kMsgNotSupported,
       SQL_TXN_READ_COMMITTED},
  };
  for (const auto& c : cases) {
    Connection conn(c.connected);
    StatementHandle* statement = conn.NewStatement();
    if (c.statementWrote) statement->transactionFlags[0] = 1;
    if (c.connected) conn.connection->record->isolationMask = c.mask;
    EXPECT_EQ(SetConnectionAttribute(*conn.connection, SQL_ATTR_TXN_ISOLATION, Integer(c.value), 0), c.id)
        << c.value;
    if (c.id == kMsgNotSupported) {
      EXPECT_EQ(conn.connection->record->lastMessageId, kMsgNotSupported);
    }
    if (!c.connected) continue;
    SQLUINTEGER answer = 0;
    EXPECT_EQ(GetConnectionAttribute(*conn.connection, SQL_ATTR_TXN_ISOLATION, &answer, 0, nullptr), kMsgSuccess);
    EXPECT_EQ(answer, c.answer) << c.value;
  }
}

TEST(ConnectionAttributes, CurrentCatalog) {
  struct {
    const char* name;
    SQLINTEGER length;
    const char* globalCatalog;
    SQLINTEGER bufferLength;
    MessageId getId;
    std::string answer;
    SQLINTEGER answerLength;
  } cases[] = {
      {"Sales", 3, "", 32, kMsgSuccess, "Sal", 3},
      {"Sales", 0, "", 32, kMsgSuccess, "", 0},
      {nullptr, SQL_NTS, "", 32, kMsgSuccess, "", 0},
      {"Sales", SQL_NTS, "Everything", 32, kMsgSuccess, "Everything", 10},
      {"", SQL_NTS, "Everything", 32, kMsgSuccess, "", 0},
      {"Sales", SQL_NTS, "", 4, kMsgDataTruncated, "Sal", 5},
  };
  for (const auto& c : cases) {
    Connection conn(kConnected);
    if (*c.globalCatalog != '\0') conn.connection->settings["GLOBALCATALOG"] = c.globalCatalog;
    EXPECT_EQ(SetConnectionAttribute(*conn.connection, SQL_ATTR_CURRENT_CATALOG,
                                     const_cast<char*>(c.name), c.length),
              kMsgSuccess);
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    SQLINTEGER length = -1;
    EXPECT_EQ(GetConnectionAttribute(*conn.connection, SQL_ATTR_CURRENT_CATALOG, buffer, c.bufferLength, &length),
              c.getId);
    EXPECT_EQ(std::string(buffer), c.answer);
    EXPECT_EQ(length, c.answerLength);
    // The ODBC 2 name of the attribute answers the same.
    ConnectionAnswer answer;
    EXPECT_EQ(GetConnectionOption(*conn.connection, SQL_CURRENT_QUALIFIER, answer), kMsgSuccess);
    if (c.getId == kMsgSuccess) {
      EXPECT_EQ(answer.text, c.answer);
    }
  }
}

}  // namespace
