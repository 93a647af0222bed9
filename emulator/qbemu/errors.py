"""The emulator's error codes and their texts; every action failure is an ApiError."""

ERRTEXT = {
    0: "No error",
    1: "Unknown error",
    2: "Invalid input",
    3: "Insufficient permissions",
    4: "Bad or expired authentication ticket",
    6: "Syntax error",
    11: "XML input could not be parsed",
    14: "Database id missing or of the wrong type",
    20: "Unknown user name or password",
    22: "Sign in required",
    24: "Invalid application token",
    30: "No such record",
    31: "No such field",
    32: "The application does not exist or was deleted",
    34: "This field value cannot be changed",
    50: "Missing required value",
    51: "Value is not unique in a field marked unique",
    53: "Required fields are missing from the import",
    60: "Update conflict detected",
    75: "The report is too large",
    76: "Too many criteria in the query",
    77: "Request limit exceeded",
    82: "The operation took too long",
    100: "Technical difficulties",
    101: "Service busy",
    102: "Service unavailable",
    103: "Service maintenance",
    104: "Service overloaded",
    105: "Service error",
}


def errtext(code):
    return ERRTEXT.get(code, "Error %d" % code)


class ApiError(Exception):
    def __init__(self, code, detail=""):
        super().__init__("%d %s" % (code, detail))
        self.code = code
        self.detail = detail
