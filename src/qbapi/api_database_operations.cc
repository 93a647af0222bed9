// The catalog-side actions: API_GrantedDBs, API_FindDBByName, API_GetSchema.
#include "qbapi/api_exchange.h"
#include "qbapi/api_operations.h"

namespace {

const char* Flag(bool on) { return on ? "1" : "0"; }

void ReadSchemaField(const XmlElement& element, SchemaField& field) {
  const std::string* id = FindAttribute(element, "id");
  if (id != nullptr) field.id = *id;
  for (const auto& [name, value] : element.attributes) field.attributes[name] = value;
  for (const XmlElement& child : element.children) field.properties[child.name] = child.text;
}

void ReadNamedChildren(const XmlElement* parent, const char* attribute,
                       std::vector<std::pair<std::string, std::string>>& out) {
  if (parent == nullptr) return;
  for (const XmlElement& child : parent->children) {
    const std::string* name = FindAttribute(child, attribute);
    out.emplace_back(name == nullptr ? std::string() : *name, child.text);
  }
}

void ReadSchemaTable(const XmlElement& table, SchemaReply& schema) {
  schema.name = ChildText(table, "name");
  schema.description = ChildText(table, "desc");
  if (const XmlElement* original = FindChild(table, "original"))
    for (const XmlElement& child : original->children) schema.original[child.name] = child.text;
  ReadNamedChildren(FindChild(table, "variables"), "name", schema.variables);
  ReadNamedChildren(FindChild(table, "chdbids"), "name", schema.childTables);
  if (const XmlElement* fields = FindChild(table, "fields")) {
    for (const XmlElement& element : fields->children) {
      if (element.name != "field") continue;
      schema.fields.emplace_back();
      ReadSchemaField(element, schema.fields.back());
    }
  }
}

}  // namespace

MessageId ApiGrantedDbs(ApiSession& session, ApiCallRecord& call, const GrantedDbsOptions& options,
                        std::vector<GrantedDatabase>& databases) {
  databases.clear();
  XmlRequest params;
  AddXmlElement(params, "withembeddedtables", Flag(options.withEmbeddedTables));
  AddXmlElement(params, "excludeparents", Flag(options.excludeParents));
  if (options.realmAppsOnly) AddXmlElement(params, "realmAppsOnly", "true");
  XmlElement root;
  MessageId id = ApiExchange(session, call, "", "API_GrantedDBs", params, root);
  if (id != kMsgSuccess) return id;
  const XmlElement* list = FindChild(root, "databases");
  if (list == nullptr) return kMsgSuccess;
  for (const XmlElement& info : list->children) {
    if (info.name != "dbinfo") continue;
    databases.push_back({ChildText(info, "dbname"), ChildText(info, "dbid")});
  }
  return kMsgSuccess;
}

MessageId ApiFindDbByName(ApiSession& session, ApiCallRecord& call, const std::string& name, bool parentsOnly,
                          std::vector<std::string>& dbids) {
  dbids.clear();
  XmlRequest params;
  AddXmlElement(params, "dbname", name);
  if (parentsOnly) AddXmlElement(params, "ParentsOnly", "1");
  XmlElement root;
  MessageId id = ApiExchange(session, call, "", "API_FindDBByName", params, root);
  if (id != kMsgSuccess) return id;
  for (const XmlElement& child : root.children)
    if (child.name == "dbid") dbids.push_back(child.text);
  return kMsgSuccess;
}

MessageId ApiGetSchema(ApiSession& session, ApiCallRecord& call, const std::string& dbid, SchemaReply& schema) {
  schema = SchemaReply{};
  XmlElement root;
  MessageId id = ApiExchange(session, call, dbid, "API_GetSchema", XmlRequest{}, root);
  if (id != kMsgSuccess) return id;
  if (const XmlElement* table = FindChild(root, "table")) ReadSchemaTable(*table, schema);
  return kMsgSuccess;
}
