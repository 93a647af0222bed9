#: two columns; the alias defaults to the table name
SELECT Name, City FROM Shop: Customers
=====
#: a bare table name unique among the granted tables
SELECT Amount FROM Orders
=====
#: a bare table name held by two applications
SELECT * FROM Customers
=====
#: an unknown table
SELECT * FROM Shop: Nowhere
=====
#: a table name of 128 characters
SELECT * FROM tttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt
=====
#: a table name of 127 characters passes the length check
SELECT * FROM ttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt
=====
#: a table with a field the driver can't map names the table and the field
SELECT Plain FROM Shop: Odd
=====
#: the same alias twice
SELECT c.Name FROM "Shop: Customers" c, "Shop: Orders" C
=====
#: the same table twice without aliases
SELECT * FROM "Shop: Customers", "Shop: Customers"
=====
#: the identity pseudo-table
SELECT IDENTITY FROM "@@identity"
=====
#: the connection settings pseudo-table
SELECT qPARAMETER, qVALUE FROM "TARVOX CONNECTION CONFIG"
=====
#: star expands every column of every table in FROM order
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l
=====
#: qualifier star where it stands among other items
SELECT o.Amount, l.*, o.Status FROM "Shop: Orders" o, "Shop: Order Lines" l
=====
#: qualifier star with a qualifier in another case
SELECT L.* FROM "Shop: Order Lines" l
=====
#: qualifier star naming no table
SELECT x.* FROM "Shop: Customers" y
=====
#: star with GROUP BY
SELECT * FROM "Shop: Customers" GROUP BY City
=====
#: qualified by alias, case-insensitive
SELECT C.name, c.CITY FROM "Shop: Customers" c
=====
#: a qualifier that is not the table's alias
SELECT u.Name FROM "Shop: Customers" c
=====
#: an unqualified column held by two tables
SELECT Name FROM "Shop: Customers" c, "Shop: Orders" o
=====
#: the same column qualified in each table
SELECT c.Name, o.Name FROM "Shop: Customers" c, "Shop: Orders" o
=====
#: a column found in no table
SELECT Colour FROM "Shop: Customers"
=====
#: fid form names a field by its id
SELECT fid6, FID9 FROM "Shop: Customers"
=====
#: fid3 is the record id
SELECT fid3 FROM "Shop: Orders"
=====
#: the record id's label, sanitized
SELECT "Record ID#" FROM "Shop: Orders"
=====
#: a hyphen is read as an underscore without FIELDNAMEHYPHENS
SELECT "Unit-Price", Unit_Price FROM "Shop: Customers"
=====
#: with FIELDNAMEHYPHENS the hyphen stays
#! hyphens
SELECT "Unit-Price" FROM "Shop: Customers"
=====
#: with FIELDNAMEHYPHENS the underscore form names nothing
#! hyphens
SELECT Unit_Price FROM "Shop: Customers"
=====
#: a non-ASCII label
SELECT "Größe" FROM "Shop: Customers"
=====
#: a name with a blank
SELECT [Lead Time] FROM "Shop: Customers"
=====
#: ORDER BY a select-list alias
SELECT Name AS n FROM "Shop: Customers" ORDER BY n
=====
#: a select-list alias names its column in WHERE too
SELECT Name AS n FROM "Shop: Customers" WHERE n = 'x'
=====
#: an alias of an expression is not a column
SELECT Balance + 1 AS b FROM "Shop: Customers" ORDER BY b
=====
#: every kind of field: types, sizes and buffers
SELECT Name, Balance, Since, Updated, Opens, Active, Notes, Logo, Owner, [Lead Time], Rate, Summary, Code, Score, Site FROM "Shop: Customers"
=====
#: every kind of field under ODBC 2
#! odbc2
SELECT Since, Updated, Opens FROM "Shop: Customers"
=====
#: a host with its own naming rule keeps '#' in the record id's label
#! access
SELECT "Record ID#", [Unit-Price] FROM "Shop: Customers"
=====
#: inner join: the ON condition sees both tables
SELECT c.Name, o.Amount FROM "Shop: Customers" c INNER JOIN "Shop: Orders" o ON c.Name = o.Customer
=====
#: left outer join
SELECT c.Name, o.Amount FROM "Shop: Customers" c LEFT OUTER JOIN "Shop: Orders" o ON c.Name = o.Customer
=====
#: outer-join escape
SELECT c.Name FROM {oj "Shop: Customers" c LEFT OUTER JOIN "Shop: Orders" o ON c.Name = o.Customer}
=====
#: an unqualified column of both join tables in ON
SELECT c.City FROM "Shop: Customers" c INNER JOIN "Shop: Orders" o ON Name = 'x'
=====
#: ON can't see a table outside its join
SELECT * FROM "Shop: Order Lines" l, "Shop: Customers" c INNER JOIN "Shop: Orders" o ON l.Qty = o.Amount
=====
#: three tables joined in a chain
SELECT c.Name, o.Amount, l.Qty FROM "Shop: Customers" c INNER JOIN "Shop: Orders" o INNER JOIN "Shop: Order Lines" l ON l.[Order Ref] = o.fid3 ON c.Name = l.Product
=====
#: the nested join's ON can't see the table before it
SELECT * FROM "Shop: Customers" c INNER JOIN "Shop: Orders" o INNER JOIN "Shop: Order Lines" l ON l.Qty = c.Balance ON c.Name = o.Customer
=====
#: ORDER BY a column, descending, and a number column
SELECT Name, Balance FROM "Shop: Customers" ORDER BY Name DESC, Balance
=====
#: ORDER BY ordinal
SELECT Name, City FROM "Shop: Customers" ORDER BY 2, 1 DESC
=====
#: ORDER BY ordinal 1.9 selects item 1
SELECT Name, City FROM "Shop: Customers" ORDER BY 1.9
=====
#: ORDER BY 0
SELECT Name FROM "Shop: Customers" ORDER BY 0
=====
#: ORDER BY an ordinal past the select list
SELECT Name, City FROM "Shop: Customers" ORDER BY 3
=====
#: ORDER BY 65537 never wraps to item 1
SELECT Name, City FROM "Shop: Customers" ORDER BY 65537
=====
#: ORDER BY an ordinal that names an expression
SELECT Balance + 1, Name FROM "Shop: Customers" ORDER BY 1
=====
#: ORDER BY an ordinal of a qualified column
SELECT c.City FROM "Shop: Customers" c ORDER BY 1
=====
#: ORDER BY an ordinal after star
SELECT * FROM "Shop: Order Lines" ORDER BY 7
=====
#: ORDER BY an expression
SELECT Name FROM "Shop: Customers" ORDER BY (Balance * 2) DESC
=====
#: ORDER BY a text column wider than 255
SELECT Name FROM "Shop: Customers" ORDER BY Summary
=====
#: a text field of 255 characters is long text
SELECT Name FROM "Shop: Customers" ORDER BY Code
=====
#: ORDER BY an attachment
SELECT Name FROM "Shop: Customers" ORDER BY Logo
=====
#: ORDER BY every value type
SELECT Name FROM "Shop: Customers" ORDER BY Since, Updated, Opens, Active, 1
=====
#: ORDER BY in a join: record ids of every table follow the keys
SELECT c.Name FROM "Shop: Customers" c, "Shop: Orders" o ORDER BY o.Amount
=====
#: ORDER BY 20 keys
SELECT Name FROM "Shop: Customers" ORDER BY Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name
=====
#: ORDER BY 21 keys
SELECT Name FROM "Shop: Customers" ORDER BY Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name
=====
#: ORDER BY a parameter
SELECT Name FROM "Shop: Customers" ORDER BY ?
=====
#: GROUP BY with COUNT(*)
SELECT City, COUNT(*) FROM "Shop: Customers" GROUP BY City
=====
#: GROUP BY two columns ordered by the second: the first is appended
SELECT City, Name FROM "Shop: Customers" GROUP BY City, Name ORDER BY Name
=====
#: GROUP BY with ORDER BY DESC on its column keeps one key
SELECT City FROM "Shop: Customers" GROUP BY City ORDER BY City DESC
=====
#: GROUP BY ordered by an aggregate sorts the groups again
SELECT City, COUNT(*) FROM "Shop: Customers" GROUP BY City ORDER BY COUNT(*) DESC
=====
#: GROUP BY ordered by an expression over the groups
SELECT City, SUM(Balance) FROM "Shop: Customers" GROUP BY City ORDER BY (SUM(Balance) / COUNT(*)), City DESC
=====
#: GROUP BY ordered by an ordinal
SELECT City, MAX(Since) FROM "Shop: Customers" GROUP BY City ORDER BY 1 DESC
=====
#: every aggregate over its types
SELECT City, AVG(Balance), COUNT(Name), MAX(Name), MIN(Since), SUM(Rate), MAX(Updated), MIN(Opens) FROM "Shop: Customers" GROUP BY City
=====
#: a column outside GROUP BY
SELECT City, Name FROM "Shop: Customers" GROUP BY City
=====
#: HAVING over an aggregate
SELECT City FROM "Shop: Customers" GROUP BY City HAVING COUNT(*) > 1 AND MAX(Balance) < ?
=====
#: HAVING on a column outside GROUP BY
SELECT City FROM "Shop: Customers" GROUP BY City HAVING Name = 'a'
=====
#: HAVING without GROUP BY or aggregate
SELECT City FROM "Shop: Customers" HAVING City = 'a'
=====
#: aggregates without GROUP BY
SELECT COUNT(*), SUM(Balance), MIN(Name) FROM "Shop: Customers"
=====
#: aggregates without GROUP BY, with HAVING and ORDER BY
SELECT COUNT(*) FROM "Shop: Customers" HAVING COUNT(*) > 2 ORDER BY COUNT(*)
=====
#: a plain column beside an aggregate without GROUP BY
SELECT Name, COUNT(*) FROM "Shop: Customers"
=====
#: an aggregate in WHERE
SELECT Name FROM "Shop: Customers" WHERE COUNT(*) > 1
=====
#: an aggregate of an aggregate
SELECT City, SUM(COUNT(*)) FROM "Shop: Customers" GROUP BY City
=====
#: an aggregate in a join condition
SELECT c.Name FROM "Shop: Customers" c INNER JOIN "Shop: Orders" o ON MAX(o.Amount) = 1
=====
#: SUM over text
SELECT SUM(Name) FROM "Shop: Customers"
=====
#: AVG over a date
SELECT AVG(Since) FROM "Shop: Customers"
=====
#: MAX over text keeps its type
SELECT MAX(Name) FROM "Shop: Customers"
=====
#: MAX over an attachment
SELECT MAX(Logo) FROM "Shop: Customers"
=====
#: GROUP BY 20 columns
SELECT Name FROM "Shop: Customers" GROUP BY Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name
=====
#: GROUP BY 21 columns
SELECT Name FROM "Shop: Customers" GROUP BY Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name
=====
#: GROUP BY a text column wider than 255
SELECT COUNT(*) FROM "Shop: Customers" GROUP BY Summary
=====
#: GROUP BY an attachment
SELECT COUNT(*) FROM "Shop: Customers" GROUP BY Logo
=====
#: GROUP BY over a join
SELECT c.City, SUM(o.Amount) FROM "Shop: Customers" c, "Shop: Orders" o WHERE c.Name = o.Customer GROUP BY c.City
=====
#: GROUP BY with DISTINCT
SELECT DISTINCT City, COUNT(*) FROM "Shop: Customers" GROUP BY City
=====
#: DISTINCT over two columns
SELECT DISTINCT Name, Balance FROM "Shop: Customers"
=====
#: DISTINCT skips literals
SELECT DISTINCT 'x', Name, 5, ? FROM "Shop: Customers"
=====
#: DISTINCT over literals only
SELECT DISTINCT 'x', 5 FROM "Shop: Customers"
=====
#: DISTINCT with ORDER BY
SELECT DISTINCT City FROM "Shop: Customers" ORDER BY City DESC
=====
#: DISTINCT over expressions of every kind
SELECT DISTINCT Balance * 2, City, {fn UCASE(Name)} FROM "Shop: Customers"
=====
#: DISTINCT over a wide text column
SELECT DISTINCT Notes FROM "Shop: Customers"
=====
#: DISTINCT over 21 columns
SELECT DISTINCT Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name, Name FROM "Shop: Customers"
=====
#: IN list of literals and parameters
SELECT Name FROM "Shop: Customers" WHERE City IN ('a', 'b', ?)
=====
#: IN list holding a column
SELECT Name FROM "Shop: Customers" WHERE City IN ('a', Name)
=====
#: IN list holding NULL
SELECT Name FROM "Shop: Customers" WHERE City IN ('a', NULL)
=====
#: IN list holding an expression
SELECT Name FROM "Shop: Customers" WHERE Balance IN (1, 1 + 1)
=====
#: IN over a sub-select becomes = ANY
SELECT Name FROM "Shop: Customers" WHERE Name IN (SELECT Customer FROM "Shop: Orders")
=====
#: NOT IN over a sub-select becomes <> ALL
SELECT Name FROM "Shop: Customers" WHERE Name NOT IN (SELECT Customer FROM "Shop: Orders" WHERE Amount > 10)
=====
#: a sub-select of two columns
SELECT Name FROM "Shop: Customers" WHERE Name IN (SELECT Customer, Amount FROM "Shop: Orders")
=====
#: a correlated sub-select
SELECT c.Name FROM "Shop: Customers" c WHERE EXISTS (SELECT * FROM "Shop: Orders" o WHERE o.Customer = c.Name)
=====
#: a correlated column found only in the outer table
SELECT Name FROM "Shop: Customers" WHERE Balance > (SELECT MAX(Amount) FROM "Shop: Orders" WHERE Status = City)
=====
#: comparison with ALL and ANY
SELECT Name FROM "Shop: Customers" WHERE Balance > ALL (SELECT Amount FROM "Shop: Orders") OR Balance < ANY (SELECT Qty FROM "Shop: Order Lines")
=====
#: comparison with a sub-select of long text
SELECT Name FROM "Shop: Customers" WHERE Name = (SELECT Notes FROM "Shop: Customers")
=====
#: LIKE on a text column
SELECT Name FROM "Shop: Customers" WHERE Name LIKE 'a%' AND City NOT LIKE ?
=====
#: LIKE on a number
SELECT Name FROM "Shop: Customers" WHERE Balance LIKE 'a%'
=====
#: LIKE on a text column wider than 255
SELECT Name FROM "Shop: Customers" WHERE Summary LIKE 'a%'
=====
#: BETWEEN with parameters
SELECT Name FROM "Shop: Customers" WHERE Since BETWEEN ? AND ?
=====
#: IS NULL and IS NOT NULL
SELECT Name FROM "Shop: Customers" WHERE City IS NULL OR Since IS NOT NULL
=====
#: NOT over a chain of conditions
SELECT Name FROM "Shop: Customers" WHERE NOT (Active = 1 AND Balance > 0 OR City = 'x')
=====
#: an attachment compared for equality
SELECT Name FROM "Shop: Customers" WHERE Logo = ?
=====
#: an attachment compared for order
SELECT Name FROM "Shop: Customers" WHERE Logo < ?
=====
#: an attachment of any size tested for a value
SELECT Name FROM "Shop: Customers" WHERE Logo IS NULL OR Logo IS NOT NULL
=====
#: minus before a number literal folds into it
SELECT -5, -(-5), -2.50 FROM "Shop: Customers"
=====
#: unary minus of a column
SELECT -Balance FROM "Shop: Customers"
=====
#: a decimal literal
SELECT 12.345, 1E3, 2147483647, 12345678901 FROM "Shop: Customers"
=====
#: date arithmetic
SELECT Since + 3, Since - 2, Since - Since FROM "Shop: Customers"
=====
#: text concatenation sizes
SELECT Name + City, Name + Code FROM "Shop: Customers"
=====
#: a parameter added to text
SELECT Name FROM "Shop: Customers" WHERE Name = City + ?
=====
#: USER, date, time and timestamp literals
SELECT USER, {d '2024-02-29'}, {t '10:11:12'}, {ts '2024-01-01 10:00:00'} FROM "Shop: Customers"
=====
#: date and time literals under ODBC 2
#! odbc2
SELECT {d '2024-02-29'}, {ts '2024-01-01 10:00:00'} FROM "Shop: Customers"
=====
#: a bare parameter in the select list stays untyped
SELECT ? FROM "Shop: Customers"
=====
#: two parameters compared
SELECT Name FROM "Shop: Customers" WHERE ? = ?
=====
#: minus of a parameter
SELECT Name FROM "Shop: Customers" WHERE Balance = -?
=====
#: a long chain of additions
SELECT Balance + Balance + Balance + Balance + Balance + Rate FROM "Shop: Customers"
=====
#: time arithmetic
SELECT Opens + 1 FROM "Shop: Customers"
=====
#: text compared with a number
SELECT Name FROM "Shop: Customers" WHERE Name = Balance
=====
#: INSERT without a column list names every column
INSERT INTO "Shop: Order Lines" VALUES (NULL, NULL, NULL, NULL, NULL, 1, 2, 'x')
=====
#: INSERT with a column list and parameters
INSERT INTO "Shop: Orders" (Customer, Amount, Placed) VALUES (?, ?, ?)
=====
#: INSERT with fewer values than columns
INSERT INTO "Shop: Orders" (Customer, Amount) VALUES ('a')
=====
#: INSERT with more values than columns
INSERT INTO "Shop: Orders" (Customer) VALUES ('a', 1)
=====
#: INSERT of an expression
INSERT INTO "Shop: Orders" (Amount) VALUES (1 + 1)
=====
#: INSERT of a column
INSERT INTO "Shop: Orders" (Amount) VALUES (Amount)
=====
#: INSERT naming a column twice
INSERT INTO "Shop: Orders" (Customer, Amount, Customer) VALUES ('a', 1, 'b')
=====
#: INSERT naming a column twice, not first
INSERT INTO "Shop: Orders" (Amount, Customer, Status, Customer) VALUES (1, 'a', 'b', 'c')
=====
#: INSERT naming a field by label and by id
INSERT INTO "Shop: Orders" (Customer, fid6) VALUES ('a', 'b')
=====
#: INSERT of a scalar function and USER
INSERT INTO "Shop: Orders" (Customer, Status) VALUES ({fn UCASE('a')}, USER)
=====
#: INSERT ... SELECT
INSERT INTO "Shop: Orders" (Customer, Amount) SELECT Name, Balance FROM "Shop: Customers" WHERE Active = 1
=====
#: INSERT ... SELECT from the same table
INSERT INTO "Shop: Orders" (Customer) SELECT Customer FROM "Shop: Orders"
=====
#: INSERT ... SELECT with a column count that differs
INSERT INTO "Shop: Orders" (Customer, Amount) SELECT Name FROM "Shop: Customers"
=====
#: INSERT of text into a number column
INSERT INTO "Shop: Orders" (Amount) VALUES ('a')
=====
#: UPDATE with parameters
UPDATE "Shop: Orders" SET Amount = ?, Status = 'done' WHERE Customer = ?
=====
#: UPDATE of an unknown column
UPDATE "Shop: Orders" SET Colour = 1
=====
#: UPDATE with a correlated sub-select
UPDATE "Shop: Orders" SET Status = 'x' WHERE Customer IN (SELECT Name FROM "Shop: Customers" c WHERE c.Balance > Amount)
=====
#: DELETE with a condition
DELETE FROM "Shop: Orders" WHERE Amount < ? AND Status LIKE 'x%'
=====
#: DELETE from an unknown table
DELETE FROM Shop: Gone
=====
#: CREATE TABLE with every listed type
CREATE TABLE "Shop: T" (a VARCHAR(40), b NUMERIC(10,2), c DATETIME, d integer, e DOUBLE, f DATE, g TIME, h BIT, i LONGVARCHAR, j LONGVARBINARY)
=====
#: CREATE TABLE with a missing size
CREATE TABLE t (c VARCHAR)
=====
#: CREATE TABLE with one size for NUMERIC
CREATE TABLE t (c NUMERIC(10))
=====
#: CREATE TABLE with a type that is not listed
CREATE TABLE t (c CHAR(10))
=====
#: CREATE TABLE with constraints passed over
CREATE TABLE t (a INTEGER, CONSTRAINT pk PRIMARY KEY (a), CONSTRAINT fk FOREIGN KEY (p) REFERENCES parent (id))
=====
#: CREATE TABLE with a column name of 128 characters
CREATE TABLE t (cccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccc INTEGER)
=====
#: CREATE TABLE with a column name of 64 characters for a short-name host
#! access
CREATE TABLE t (cccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccc INTEGER)
=====
#: CREATE TABLE with a table name of 128 characters
CREATE TABLE tttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt (c INTEGER)
=====
#: ALTER TABLE ADD
ALTER TABLE "Shop: Orders" ADD Notes VARCHAR(100)
=====
#: DROP TABLE
DROP TABLE "Shop: Orders"
=====
#: DROP TABLE with a name of 128 characters
DROP TABLE tttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt
=====
#: CREATE INDEX
CREATE INDEX ix ON "Shop: Orders" (Customer, Amount DESC)
=====
#: CREATE INDEX with a name of 64 characters
CREATE INDEX iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii ON "Shop: Orders" (Customer)
=====
#: CREATE INDEX with 15 columns
CREATE INDEX ix ON "Shop: Orders" (Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer)
=====
#: CREATE INDEX with 16 columns
CREATE INDEX ix ON "Shop: Orders" (Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer, Customer)
=====
#: CREATE INDEX on an unknown column
CREATE INDEX ix ON "Shop: Orders" (Colour)
=====
#: DROP INDEX
DROP INDEX ix
=====
#: DROP INDEX with a name of 64 characters
DROP INDEX iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii
=====
#: the SQL pseudo-statement
SQL
=====
#: a function name in lower case
SELECT {fn ucase(Name)} FROM "Shop: Customers"
=====
#: an unknown function
SELECT {fn FROBNICATE(Name)} FROM "Shop: Customers"
=====
#: ABS of text
SELECT {fn ABS('x')} FROM "Shop: Customers"
=====
#: LOCATE with two and three arguments
SELECT {fn LOCATE('a', Name)}, {fn LOCATE('a', Name, 2)} FROM "Shop: Customers"
=====
#: LOCATE with one argument
SELECT {fn LOCATE('a')} FROM "Shop: Customers"
=====
#: DEGREES of an integer column
SELECT {fn DEGREES(fid3)} FROM "Shop: Customers"
=====
#: TIMESTAMPADD with an interval word in lower case
SELECT {fn TIMESTAMPADD(sql_tsi_day, 7, Updated)} FROM "Shop: Customers"
=====
#: TIMESTAMPADD in fractions of a second
SELECT {fn TIMESTAMPADD(SQL_TSI_FRAC_SECOND, 7, Updated)} FROM "Shop: Customers"
=====
#: TIMESTAMPDIFF
SELECT {fn TIMESTAMPDIFF(SQL_TSI_MONTH, Since, Updated)} FROM "Shop: Customers"
=====
#: EXTRACT
SELECT {fn EXTRACT(YEAR FROM Since)}, {fn POSITION('a' IN Name)}, {fn EXTRACT(hour FROM Opens)} FROM "Shop: Customers"
=====
#: a parameter as function argument
SELECT {fn LEFT(?, 2)} FROM "Shop: Customers"
=====
#: CONCAT sizes
SELECT {fn CONCAT(Code, Name)} FROM "Shop: Customers"
=====
#: CONVERT to long text
SELECT {fn CONVERT(Name, SQL_LONGVARCHAR)} FROM "Shop: Customers"
=====
#: CONVERT to a word that names no type
SELECT {fn CONVERT(Name, SQL_WIDGET)} FROM "Shop: Customers"
=====
#: CONVERT to text and numbers
SELECT {fn CONVERT(Balance, SQL_VARCHAR)}, {fn CONVERT(Name, SQL_DECIMAL)}, {fn CONVERT(Opens, SQL_TIME)} FROM "Shop: Customers"
=====
#: CONVERT of a decimal to text
SELECT {fn CONVERT({fn CONVERT(Name, SQL_NUMERIC)}, SQL_CHAR)} FROM "Shop: Customers"
=====
#: IFNULL of an integer and a double
SELECT {fn IFNULL(fid3, 1.5E0)} FROM "Shop: Customers"
=====
#: DAYNAME of a time
SELECT {fn DAYNAME(Opens)} FROM "Shop: Customers"
=====
#: a function inside an aggregate, grouped
SELECT {fn UCASE(City)}, COUNT(*) FROM "Shop: Customers" GROUP BY City
=====
#: a function over a grouped column and an aggregate
SELECT City, {fn ABS(SUM(Balance))} FROM "Shop: Customers" GROUP BY City
=====
#: a numeric SUM gets room for its digits
SELECT SUM({fn CONVERT(Balance, SQL_DECIMAL)}) FROM "Shop: Customers"
=====
#: a numeric product keeps its digits within its size
SELECT {fn CONVERT(Balance, SQL_DECIMAL)} * 1.25 FROM "Shop: Customers"
=====
#: date functions and CONVERT to a date under ODBC 2
#! odbc2
SELECT {fn CURDATE()}, {fn CONVERT(Updated, SQL_TYPE_DATE)}, {fn NOW()}, {fn CONVERT(Opens, SQL_TYPE_TIME)} FROM "Shop: Customers"
=====
#: a parameter compared with a date column under ODBC 2
#! odbc2
SELECT Name FROM "Shop: Customers" WHERE Since = ? AND Updated > ?
=====
#: aggregates and IFNULL of dates under ODBC 2
#! odbc2
SELECT MAX(Since), MIN({fn IFNULL(Since, Since)}) FROM "Shop: Customers"
=====
#: a string literal's size counts characters; its buffers hold four bytes each
SELECT 'Größe' FROM "Shop: Customers"
=====
#: binary values are compared byte for byte as DISTINCT and ORDER BY keys
SELECT DISTINCT {fn CONVERT(Name, SQL_VARBINARY)} FROM "Shop: Customers" ORDER BY ({fn CONVERT(City, SQL_BINARY)}) DESC
=====
#: CONVERT of a date to BIGINT
SELECT {fn CONVERT(Since, SQL_BIGINT)} FROM "Shop: Customers"
=====
#: IFNULL of text and a date
SELECT {fn IFNULL(Name, Since)} FROM "Shop: Customers"
=====
#: LIKE with a pattern of exactly 255 characters
SELECT Name FROM "Shop: Customers" WHERE Name LIKE 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx%'
=====
#: SUM over a checkbox counts the checked rows as an INTEGER
SELECT SUM(Active) FROM "Shop: Customers"
=====
#: UPDATE assigning a column twice
UPDATE "Shop: Orders" SET Status = 'a', Amount = 5, Status = 'b'
=====
#: UPDATE assigning a field by label and by id
UPDATE "Shop: Orders" SET Customer = 'a', fid6 = 'b'
