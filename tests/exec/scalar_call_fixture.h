// A connection without the service on which the scalar-function tests bind
// "SELECT <call> FROM "@@identity"" and evaluate the call, its IDENTITY
// column reading the value the test puts in identity.
#pragma once

#include <string>

#include "common/message_ids.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/semantic_pass.h"
#include "sql/statement_parser.h"
#include "support/scalar_test_support.h"

struct CallOutcome {
  MessageId id = kMsgSuccess;  // of binding, else of evaluation
  ValueCell cell;              // the call's cell after evaluation
  std::string detail;          // the statement's detail text
  std::string Text() const { return id == kMsgSuccess ? ShowValue(cell) : "error " + std::to_string(id); }
};

struct ScalarCallFixture {
  EnvironmentHandle environment;
  ConnectionHandle connection;
  ConnectionRecord record;
  StatementHandle statement;
  ValueCell identity;  // IDENTITY's value for the current row; NULL at first

  ScalarCallFixture() {
    connection.environment = &environment;
    connection.record = &record;
    record.connection = &connection;
    statement.connection = &connection;
    record.currentStatement = &statement;
  }
  ~ScalarCallFixture() { FreeParseTree(statement.parseTree); }

  // Parses and binds; 0, or the failure with its detail in outcome.
  CallOutcome Prepare(const std::string& item) {
    FreeParseTree(statement.parseTree);
    CallOutcome outcome;
    const std::string text = "SELECT " + item + " FROM \"@@identity\"";
    outcome.id = ParseStatement(statement, &record, text.data(), text.size(), statement.parseTree);
    statement.diagnostic.detailText.clear();
    if (outcome.id == kMsgSuccess)
      outcome.id = BindStatementTree(statement, *statement.parseTree, 0, 0, 0, kNoNode, kNoNode);
    outcome.detail = statement.diagnostic.detailText;
    return outcome;
  }

  // Evaluates the prepared call for one row.
  CallOutcome Evaluate() {
    CallOutcome outcome;
    ParseTree& tree = *statement.parseTree;
    const NodeIndex expression = FirstSelectExpression(tree);
    outcome.id = EvaluateTestExpression(statement, tree, expression, [this](ParseTree& t, NodeIndex node) {
      ValueCell& cell = t.nodes[node].cell;
      cell.nullFlag = identity.nullFlag;
      cell.value = identity.value;
      return kMsgSuccess;
    });
    outcome.cell = tree.nodes[expression].cell;
    outcome.detail = statement.diagnostic.detailText;
    return outcome;
  }

  CallOutcome Run(const std::string& item) {
    CallOutcome outcome = Prepare(item);
    return outcome.id == kMsgSuccess ? Evaluate() : outcome;
  }

  // The first string literal of the prepared statement, to hold a text the
  // SQL tokenizer would not take.
  std::string& FirstStringLiteral() {
    ParseTree& tree = *statement.parseTree;
    for (ParseNode& node : tree.nodes) {
      if (node.kind == kNodeStringLiteral) return tree.values[node.fields.stringLiteral.text].text;
    }
    return tree.values.at(tree.values.size()).text;  // throws: the test's call holds no text
  }
};
