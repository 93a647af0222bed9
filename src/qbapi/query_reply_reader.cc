// The expat handlers of the query page reader: a small state machine over
// qdbapi / table / (lusers | records / record / f / url) that appends values
// to the page as they arrive and ignores every other element.
#include "qbapi/query_reply_reader.h"

#include <charconv>
#include <cstring>
#include <limits>

#include "qbapi/expat_parser.h"
#include "qbapi/reply_envelope.h"

namespace {

// Where the reader stands. Elements it has no use for are skipped as a
// whole by counting their depth, so nesting costs no memory.
enum class Place : std::uint8_t {
  kDocument,
  kRoot,
  kEnvelopeValue,
  kTable,
  kUsers,
  kUser,
  kRecords,
  kRecord,
  kField,
  kFieldUrl,
  kForeignRoot,
};

// The places a reply can nest inside one another, root to url.
constexpr std::size_t kMaxPlaces = 8;
// An ignored element costs nothing here, but expat keeps every open
// element's name until it closes: nesting without end inside one would
// make a reply of 64 MiB take gigabytes. No reply of the API nests more
// than a dozen levels.
constexpr std::size_t kMaxSkipDepth = 256;

struct PageReader {
  XML_Parser parser = nullptr;
  QueryPage* page = nullptr;
  ReplyEnvelope envelope;
  Place places[kMaxPlaces] = {};
  std::size_t depth = 0;       // places in use
  std::size_t skipDepth = 0;   // open elements inside an ignored one
  std::string* textSink = nullptr;
  std::string* envelopeTarget = nullptr;  // errcode, errtext or errdetail being read
  bool tableSeen = false;
  bool usersSeen = false;
  bool recordsSeen = false;
  bool errtextSeen = false;
  bool errdetailSeen = false;
  bool urlSeen = false;        // the current field already had its <url>
  std::string userId;
  std::string scratch;         // a user's name, or the current field's URL
  QueryPageCell cell;
  std::string error;
};

bool NameIs(const XML_Char* name, const char* expected) { return std::strcmp(name, expected) == 0; }

const XML_Char* FindAttribute(const XML_Char** attributes, const char* name) {
  for (const XML_Char** a = attributes; a[0] != nullptr; a += 2)
    if (NameIs(a[0], name)) return a[1];
  return nullptr;
}

void Fail(PageReader& reader, std::string_view why) {
  if (reader.error.empty()) reader.error = why;
  XML_StopParser(reader.parser, XML_FALSE);
}

// Offsets are 32-bit; a page beyond 4 GB is refused rather than wrapped.
bool SpanFits(const PageReader& reader) {
  return reader.page->text.size() <= std::numeric_limits<std::uint32_t>::max();
}

TextSpan AppendSpan(PageReader& reader, std::string_view text) {
  TextSpan span;
  span.offset = static_cast<std::uint32_t>(reader.page->text.size());
  reader.page->text.append(text);
  span.length = static_cast<std::uint32_t>(text.size());
  return span;
}

bool ParseFieldId(const XML_Char* text, std::uint32_t& fieldId) {
  std::size_t length = std::strlen(text);
  auto parsed = std::from_chars(text, text + length, fieldId);
  return length != 0 && parsed.ec == std::errc() && parsed.ptr == text + length;
}

std::string* SinkOf(PageReader& reader, Place place) {
  switch (place) {
    case Place::kEnvelopeValue:
      return reader.envelopeTarget;
    case Place::kUser:
    case Place::kFieldUrl:
      return &reader.scratch;
    case Place::kField:
      return &reader.page->text;
    default:
      return nullptr;
  }
}

void Enter(PageReader& reader, Place place) {
  reader.places[reader.depth++] = place;
  reader.textSink = SinkOf(reader, place);
}

void Skip(PageReader& reader) {
  reader.skipDepth = 1;
  reader.textSink = nullptr;
}

// errcode, errtext and errdetail: only the first of each counts, as with
// the element tree.
std::string* EnvelopeTarget(PageReader& reader, const XML_Char* name) {
  if (NameIs(name, "errcode") && !reader.envelope.hasErrcode) {
    reader.envelope.hasErrcode = true;
    return &reader.envelope.errcode;
  }
  if (NameIs(name, "errtext") && !reader.errtextSeen) {
    reader.errtextSeen = true;
    return &reader.envelope.errtext;
  }
  if (NameIs(name, "errdetail") && !reader.errdetailSeen) {
    reader.errdetailSeen = true;
    return &reader.envelope.errdetail;
  }
  return nullptr;
}

void StartRecord(PageReader& reader, const XML_Char** attributes) {
  QueryPageRecord record;
  if (const XML_Char* rid = FindAttribute(attributes, "rid")) record.rid = AppendSpan(reader, rid);
  if (const XML_Char* updateId = FindAttribute(attributes, "update_id"))
    record.updateId = AppendSpan(reader, updateId);
  record.firstCell = static_cast<std::uint32_t>(reader.page->cells.size());
  reader.page->records.push_back(record);
  Enter(reader, Place::kRecord);
}

void StartField(PageReader& reader, const XML_Char** attributes) {
  const XML_Char* id = FindAttribute(attributes, "id");
  if (id == nullptr || !ParseFieldId(id, reader.cell.fieldId)) {
    Skip(reader);
    return;
  }
  reader.cell.text = TextSpan{static_cast<std::uint32_t>(reader.page->text.size()), 0};
  reader.cell.hasUrl = false;
  reader.urlSeen = false;
  Enter(reader, Place::kField);
}

void StartInside(PageReader& reader, Place place, const XML_Char* name, const XML_Char** attributes) {
  switch (place) {
    case Place::kDocument:
      reader.envelope.rootName = name;
      if (NameIs(name, "qdbapi")) {
        Enter(reader, Place::kRoot);
      } else {
        // Kept on the stack so that the skip has a place to return to.
        Enter(reader, Place::kForeignRoot);
        Skip(reader);
      }
      return;
    case Place::kRoot:
      if (NameIs(name, "table") && !reader.tableSeen) {
        reader.tableSeen = true;
        Enter(reader, Place::kTable);
      } else if ((reader.envelopeTarget = EnvelopeTarget(reader, name)) != nullptr) {
        Enter(reader, Place::kEnvelopeValue);
      } else {
        Skip(reader);
      }
      return;
    case Place::kTable:
      if (NameIs(name, "records") && !reader.recordsSeen) {
        reader.recordsSeen = true;
        Enter(reader, Place::kRecords);
      } else if (NameIs(name, "lusers") && !reader.usersSeen) {
        reader.usersSeen = true;
        Enter(reader, Place::kUsers);
      } else {
        Skip(reader);
      }
      return;
    case Place::kUsers:
      if (const XML_Char* id = FindAttribute(attributes, "id")) {
        reader.userId = id;
        reader.scratch.clear();
        Enter(reader, Place::kUser);
      } else {
        Skip(reader);
      }
      return;
    case Place::kRecords:
      if (NameIs(name, "record")) StartRecord(reader, attributes);
      else Skip(reader);
      return;
    case Place::kRecord:
      if (NameIs(name, "f")) StartField(reader, attributes);
      else Skip(reader);
      return;
    case Place::kField:
      if (NameIs(name, "url") && !reader.urlSeen) {
        reader.urlSeen = true;
        reader.scratch.clear();
        Enter(reader, Place::kFieldUrl);
      } else {
        Skip(reader);
      }
      return;
    default:
      Skip(reader);
      return;
  }
}

void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& reader = *static_cast<PageReader*>(data);
  if (reader.skipDepth != 0) {
    if (++reader.skipDepth > kMaxSkipDepth)
      Fail(reader, "reply nested deeper than " + std::to_string(kMaxSkipDepth) + " levels");
    return;
  }
  if (reader.depth == kMaxPlaces) {
    Fail(reader, "reply nested too deeply");
    return;
  }
  Place place = reader.depth == 0 ? Place::kDocument : reader.places[reader.depth - 1];
  StartInside(reader, place, name, attributes);
}

// The file name of a file field stands beside its <url>; blanks around it
// are layout, not part of the name.
void TrimSpan(const std::string& text, TextSpan& span) {
  const char* kBlanks = " \t\r\n";
  std::string_view value = std::string_view(text).substr(span.offset, span.length);
  std::size_t first = value.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    span.length = 0;
    return;
  }
  std::size_t last = value.find_last_not_of(kBlanks);
  span.offset += static_cast<std::uint32_t>(first);
  span.length = static_cast<std::uint32_t>(last - first + 1);
}

void EndField(PageReader& reader) {
  QueryPage& page = *reader.page;
  reader.cell.text.length = static_cast<std::uint32_t>(page.text.size() - reader.cell.text.offset);
  if (reader.urlSeen) {
    TrimSpan(page.text, reader.cell.text);
    reader.cell.hasUrl = true;
    reader.cell.url = AppendSpan(reader, reader.scratch);
  }
  if (!SpanFits(reader)) {
    Fail(reader, "reply too large");
    return;
  }
  page.cells.push_back(reader.cell);
}

void Leave(PageReader& reader, Place place) {
  switch (place) {
    case Place::kField:
      EndField(reader);
      break;
    case Place::kRecord: {
      QueryPageRecord& record = reader.page->records.back();
      record.cellCount = static_cast<std::uint32_t>(reader.page->cells.size()) - record.firstCell;
      break;
    }
    case Place::kUser:
      reader.page->userNames.emplace_back(std::move(reader.userId), reader.scratch);
      break;
    default:
      break;
  }
}

void OnEnd(void* data, const XML_Char*) {
  auto& reader = *static_cast<PageReader*>(data);
  if (reader.skipDepth != 0) {
    if (--reader.skipDepth == 0) reader.textSink = SinkOf(reader, reader.places[reader.depth - 1]);
    return;
  }
  Place place = reader.places[--reader.depth];
  Leave(reader, place);
  reader.textSink = reader.depth == 0 ? nullptr : SinkOf(reader, reader.places[reader.depth - 1]);
}

void OnText(void* data, const XML_Char* text, int length) {
  auto& reader = *static_cast<PageReader*>(data);
  if (reader.textSink != nullptr) reader.textSink->append(text, static_cast<std::size_t>(length));
}

void ClearPage(QueryPage& page) {
  page.text.clear();
  page.cells.clear();
  page.records.clear();
  page.userNames.clear();
}

MessageId ReadPieces(const std::string_view* pieces, std::size_t count, QueryPage& page, ApiCallRecord& call) {
  ClearPage(page);
  PageReader reader;
  reader.page = &page;
  std::string error;
  MessageId id = kMsgSuccess;
  if (!RunExpatReader(reader, {OnStart, OnEnd, OnText}, pieces, count, error)) id = RecordMalformedReply(call, error);
  else if (reader.envelope.rootName.empty()) id = RecordMalformedReply(call, "reply holds no XML element");
  else id = CheckReplyEnvelope(reader.envelope, call);
  // A page without its records would read as the end of the data.
  if (id == kMsgSuccess && !(reader.tableSeen && reader.recordsSeen))
    id = RecordMalformedReply(call, reader.tableSeen ? "reply without <records>" : "reply without <table>");
  if (id != kMsgSuccess) ClearPage(page);
  return id;
}

}  // namespace

MessageId ReadQueryReply(std::string_view body, QueryPage& page, ApiCallRecord& call) {
  return ReadPieces(&body, 1, page, call);
}

MessageId ReadQueryReplyPieces(const std::vector<std::string_view>& pieces, QueryPage& page, ApiCallRecord& call) {
  return ReadPieces(pieces.data(), pieces.size(), page, call);
}
