// The data-definition actions: API_CreateTable, API_AddField,
// API_SetFieldProperties and API_SetKeyField.
#include "qbapi/api_exchange.h"
#include "qbapi/api_operations.h"

namespace {

// Sends an action whose reply carries one value of interest, the text of
// one element; the value is empty unless the service accepted the action.
MessageId ExchangeForValue(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const char* action,
                           const XmlRequest& params, const char* element, std::string& value) {
  value.clear();
  XmlElement root;
  MessageId id = ApiExchange(session, call, dbid, action, params, root);
  if (id == kMsgSuccess) value = ChildText(root, element);
  return id;
}

// Property names become element names, which escaping cannot protect.
bool IsPlainName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!plain) return false;
  }
  return true;
}

}  // namespace

MessageId ApiCreateTable(ApiSession& session, ApiCallRecord& call, const std::string& appDbid,
                         const std::string& tableName, const std::string& recordNoun, std::string& newDbid) {
  XmlRequest params;
  AddXmlElement(params, "tname", tableName);
  if (!recordNoun.empty()) AddXmlElement(params, "pnoun", recordNoun);
  return ExchangeForValue(session, call, appDbid, "API_CreateTable", params, "newdbid", newDbid);
}

MessageId ApiAddField(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& label,
                      const std::string& type, const std::string& mode, std::string& fid) {
  XmlRequest params;
  AddXmlElement(params, "label", label);
  AddXmlElement(params, "type", type);
  if (!mode.empty()) AddXmlElement(params, "mode", mode);
  return ExchangeForValue(session, call, dbid, "API_AddField", params, "fid", fid);
}

MessageId ApiSetFieldProperties(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                                const std::string& fid,
                                const std::vector<std::pair<std::string, std::string>>& properties) {
  XmlRequest params;
  AddXmlElement(params, "fid", fid);
  for (const auto& [name, value] : properties) {
    if (!IsPlainName(name)) {
      return RecordServiceFailure(call, "2", "Invalid field property name", name);
    }
    AddXmlElement(params, name, value);
  }
  XmlElement root;
  return ApiExchange(session, call, dbid, "API_SetFieldProperties", params, root);
}

MessageId ApiSetKeyField(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& fid) {
  XmlRequest params;
  AddXmlElement(params, "fid", fid);
  XmlElement root;
  return ApiExchange(session, call, dbid, "API_SetKeyField", params, root);
}
