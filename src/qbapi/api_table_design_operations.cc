// The data-definition actions: API_CreateTable, API_AddField,
// API_SetFieldProperties and API_SetKeyField.
#include "qbapi/api_exchange.h"
#include "qbapi/api_operations.h"

MessageId ApiCreateTable(ApiSession& session, ApiCallRecord& call, const std::string& appDbid,
                         const std::string& tableName, const std::string& recordNoun, std::string& newDbid) {
  newDbid.clear();
  XmlRequest params;
  AddXmlElement(params, "tname", tableName);
  if (!recordNoun.empty()) AddXmlElement(params, "pnoun", recordNoun);
  XmlElement root;
  MessageId id = ApiExchange(session, call, appDbid, "API_CreateTable", params, root);
  if (id != kMsgSuccess) return id;
  newDbid = ChildText(root, "newdbid");
  return kMsgSuccess;
}

MessageId ApiAddField(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& label,
                      const std::string& type, const std::string& mode, std::string& fid) {
  fid.clear();
  XmlRequest params;
  AddXmlElement(params, "label", label);
  AddXmlElement(params, "type", type);
  if (!mode.empty()) AddXmlElement(params, "mode", mode);
  XmlElement root;
  MessageId id = ApiExchange(session, call, dbid, "API_AddField", params, root);
  if (id != kMsgSuccess) return id;
  fid = ChildText(root, "fid");
  return kMsgSuccess;
}

namespace {

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
