// Message ids: what every internal operation returns (0 for success) and what
// a handle's diagnostic keeps until SQLGetDiagRec or SQLError renders it.
#pragma once

#include "handles/message_id.h"

// Status ids of internal operations.
inline constexpr MessageId kMsgNoMoreRows = 1;
inline constexpr MessageId kMsgCut = 2;
inline constexpr MessageId kMsgNotSupported = 3;
inline constexpr MessageId kMsgAlreadyPosted = 4;
inline constexpr MessageId kMsgStatus5 = 5;
inline constexpr MessageId kMsgStatus6 = 6;
inline constexpr MessageId kMsgOutOfMemory = 7;

// The last failure of the service or of the HTTP transport; its text lives in
// the handle's message text rather than in the message table.
inline constexpr MessageId kMsgServerError = 999;

inline constexpr MessageId kMsgMemoryAllocation = 1001;
inline constexpr MessageId kMsgDataTruncated = 1002;
inline constexpr MessageId kMsgNotSupportedDetail = 1003;
inline constexpr MessageId kMsgInvalidCursorName = 1004;
inline constexpr MessageId kMsgCursorNameInUse = 1005;
inline constexpr MessageId kMsgInvalidCursorState = 1007;
inline constexpr MessageId kMsgInvalidColumnId = 1008;
inline constexpr MessageId kMsgConversionError = 1009;
inline constexpr MessageId kMsgDriverNotCapable = 1010;
inline constexpr MessageId kMsgOutOfRange = 1011;
inline constexpr MessageId kMsgAssignmentError = 1012;
inline constexpr MessageId kMsgUnexpectedEnd = 1013;
inline constexpr MessageId kMsgLexicalElementTooLarge = 1014;
inline constexpr MessageId kMsgElementMissing = 1015;
inline constexpr MessageId kMsgMalformedNumber = 1016;
inline constexpr MessageId kMsgUnexpectedExtraToken = 1017;
inline constexpr MessageId kMsgMalformedEscape = 1018;
inline constexpr MessageId kMsgInternalError = 1019;
inline constexpr MessageId kMsgQuickBaseError = 1020;
inline constexpr MessageId kMsgColumnNotFound = 1021;
inline constexpr MessageId kMsgTableNotFound = 1022;
inline constexpr MessageId kMsgParameterTypeUnknown = 1023;
inline constexpr MessageId kMsgOperatorTypeMismatch = 1024;
inline constexpr MessageId kMsgInvalidTableName = 1025;
inline constexpr MessageId kMsgOrderByOrdinalTooLarge = 1026;
inline constexpr MessageId kMsgOrderByTooManyColumns = 1027;
inline constexpr MessageId kMsgOrderByExpression = 1028;
inline constexpr MessageId kMsgInsertCountMismatch = 1029;
inline constexpr MessageId kMsgInsertValueNotSimple = 1030;
inline constexpr MessageId kMsgInValueNotSimple = 1031;
inline constexpr MessageId kMsgDuplicateAlias = 1032;
inline constexpr MessageId kMsgDuplicateColumn = 1033;
inline constexpr MessageId kMsgInvalidColumnName = 1034;
inline constexpr MessageId kMsgNoSuchType = 1035;
inline constexpr MessageId kMsgWrongTypeParameterCount = 1036;
inline constexpr MessageId kMsgAmbiguousColumn = 1037;
inline constexpr MessageId kMsgNoDataFound = 1038;
inline constexpr MessageId kMsgUnableToConnect = 1039;
inline constexpr MessageId kMsgLoginMissing = 1040;
inline constexpr MessageId kMsgParameterMissing = 1041;
inline constexpr MessageId kMsgCacheNotFound = 1042;
inline constexpr MessageId kMsgQuickBaseTableNotFound = 1043;
inline constexpr MessageId kMsgFieldNotWritable = 1044;
inline constexpr MessageId kMsgUnableToOrderByColumn = 1045;
inline constexpr MessageId kMsgUnableToOrderBy = 1046;
inline constexpr MessageId kMsgGroupByTooManyColumns = 1047;
inline constexpr MessageId kMsgUnableToGroupByColumn = 1048;
inline constexpr MessageId kMsgAggregateNotAllowed = 1049;
inline constexpr MessageId kMsgStarWithGroupBy = 1050;
inline constexpr MessageId kMsgUnableToGroupBy = 1051;
inline constexpr MessageId kMsgHavingWithoutGroupBy = 1052;
inline constexpr MessageId kMsgDivisionByZero = 1053;
inline constexpr MessageId kMsgParameterInSelectList = 1054;
inline constexpr MessageId kMsgConcatenationOverflow = 1055;
inline constexpr MessageId kMsgInvalidIndexName = 1056;
inline constexpr MessageId kMsgTooManyIndexColumns = 1057;
inline constexpr MessageId kMsgScalarFunctionNotFound = 1058;
inline constexpr MessageId kMsgInvalidScalarArgument = 1059;
inline constexpr MessageId kMsgConnectionNotOpen = 1060;
inline constexpr MessageId kMsgTransactionActive = 1061;
inline constexpr MessageId kMsgDdlInTransaction = 1062;
inline constexpr MessageId kMsgDdlIgnored = 1063;
inline constexpr MessageId kMsgCommittedBeforeDdl = 1064;
inline constexpr MessageId kMsgPreparedDdlDeleted = 1065;
inline constexpr MessageId kMsgSubqueryManyColumns = 1066;
inline constexpr MessageId kMsgSubqueryManyRows = 1067;
inline constexpr MessageId kMsgInvalidParameterNumber = 1068;
inline constexpr MessageId kMsgOptionValueChanged = 1069;
inline constexpr MessageId kMsgUnableToCreateKeyset = 1070;
inline constexpr MessageId kMsgFetchTypeOutOfRange = 1071;
inline constexpr MessageId kMsgInvalidBookmark = 1072;
inline constexpr MessageId kMsgRowValueOutOfRange = 1073;
inline constexpr MessageId kMsgInvalidCursorPosition = 1074;
inline constexpr MessageId kMsgCursorReadOnly = 1075;
inline constexpr MessageId kMsgAssignToExpression = 1076;
inline constexpr MessageId kMsgOptionalFeature = 1077;
inline constexpr MessageId kMsgStatementNotPrepared = 1078;
inline constexpr MessageId kMsgFunctionSequence = 1079;
inline constexpr MessageId kMsgModifyImplementationRow = 1080;
inline constexpr MessageId kMsgAutomaticDescriptor = 1081;
inline constexpr MessageId kMsgInvalidAttributeValue = 1082;
inline constexpr MessageId kMsgInvalidDescriptorField = 1083;
inline constexpr MessageId kMsgInvalidAttribute = 1084;
inline constexpr MessageId kMsgOptionalFeatureAttribute = 1085;
inline constexpr MessageId kMsgIndicatorRequired = 1086;
inline constexpr MessageId kMsgInvalidDescriptorIndex = 1087;
inline constexpr MessageId kMsgPositionOnAddedRow = 1088;
inline constexpr MessageId kMsgLikeOnWideColumn = 1089;
inline constexpr MessageId kMsgAttachmentError = 1090;
inline constexpr MessageId kMsgUnknownException = 1091;
inline constexpr MessageId kMsgInvalidBufferLength = 1092;
inline constexpr MessageId kMsgInvalidTransactionCode = 1093;
inline constexpr MessageId kMsgNulInStatementText = 1094;
inline constexpr MessageId kMsgUnstorableCharacter = 1095;
inline constexpr MessageId kMsgOutcomeUnknown = 1096;
inline constexpr MessageId kMsgTableExists = 1097;
inline constexpr MessageId kMsgFractionalTruncation = 1098;
inline constexpr MessageId kMsgStringRightTruncation = 1099;
inline constexpr MessageId kMsgInvalidDatetimeFormat = 1100;
inline constexpr MessageId kMsgDatetimeFieldOverflow = 1101;
// A text too long for its place in a sort record: ORDER BY orders by its
// first characters and warns; GROUP BY, DISTINCT, MIN and MAX refuse it
// rather than merge different values.
inline constexpr MessageId kMsgOrderByValueCut = 1106;
inline constexpr MessageId kMsgValueTooLongForKey = 1107;
inline constexpr MessageId kMsgApplicationNotNamed = 1110;
inline constexpr MessageId kMsgColumnExists = 1111;
inline constexpr MessageId kMsgTooManyResultColumns = 1114;
inline constexpr MessageId kMsgMarkersInBatchStatements = 1118;
inline constexpr MessageId kMsgParameterArrayInBatch = 1127;
// A write that failed after some of its rows went through, by the SQLSTATE
// of the failure that stopped it: the service's refusal, an HTTP refusal, a
// time-out before the request went out, a cancel.
inline constexpr MessageId kMsgWritesPartlyDone = 1122;
inline constexpr MessageId kMsgWritesPartlyDoneHttp = 1123;
inline constexpr MessageId kMsgWritesPartlyDoneTimeout = 1124;
inline constexpr MessageId kMsgWritesPartlyDoneCanceled = 1125;
// A value that can't be written whole, naming its column: a bound buffer
// whose length says more than it holds, or a parameter array's length
// beyond the distance between its rows.
inline constexpr MessageId kMsgStringRightTruncationOf = 1126;
// A new text longer than its field's maxlength: refused, never cut.
inline constexpr MessageId kMsgValueTooLong = 1128;
// No temporary file could be made: the detail names the folder and the reason.
inline constexpr MessageId kMsgNoTemporaryFile = 1140;
// A query with parameter markers and a parameter array of more than one row:
// it would give one row's result as the whole array's.
inline constexpr MessageId kMsgQueryWithParameterArray = 1141;
