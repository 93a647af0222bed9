#: star select
SELECT * FROM t
=====
#: two columns
SELECT a, b FROM t
=====
#: TOP then DISTINCT, lower case
select top 5 distinct a from t
=====
#: TOP above SQL_MAX_ROWS takes the maximum
#! maxrows 3
SELECT TOP 5 a FROM t
=====
#: TOP below SQL_MAX_ROWS stands
#! maxrows 10
SELECT TOP 5 a FROM t
=====
#: no TOP: the limit is SQL_MAX_ROWS
#! maxrows 7
SELECT a FROM t
=====
#: TOP 0 is an empty result, not 'no limit'
SELECT TOP 0 a FROM t
=====
#: TOP 0 stays 0 under SQL_MAX_ROWS
#! maxrows 3
SELECT TOP 0 a FROM t
=====
#: largest TOP
SELECT TOP 2147483647 a FROM t
=====
#: TOP of 2^31 refused
SELECT TOP 2147483648 a FROM t
=====
#: fractional TOP refused
SELECT TOP 2.9 a FROM t
=====
#: negative TOP refused
SELECT TOP -1 a FROM t
=====
#: TOP in exponent form refused
SELECT TOP 1E2 a FROM t
=====
#: TOP with a bare point is the integer 5
SELECT TOP 5. a FROM t
=====
#: TOP without a number
SELECT TOP x FROM t
=====
#: TOP with a malformed number keeps the tokenizer's id
SELECT TOP 1.2.3 a FROM t
=====
#: TOP after DISTINCT is read into a column name
SELECT DISTINCT TOP 5 a FROM t
=====
#: ALL
SELECT ALL a FROM t
=====
#: qualifier star, AS alias, name with blank, alias after expression
SELECT t.*, a AS b, c d, c + 1 e FROM t
=====
#: AS needs a name
SELECT a AS FROM t
=====
#: a comma needs another item
SELECT a, FROM t
=====
#: TOP in a sub-select refused
SELECT a FROM t WHERE a IN (SELECT TOP 1 b FROM u)
=====
#: missing FROM at the end
SELECT a
=====
#: misspelt FROM
SELECT a FORM t
=====
#: missing table
SELECT * FROM
=====
#: missing condition
SELECT * FROM t WHERE
=====
#: missing operator at the end
SELECT * FROM t WHERE a
=====
#: HAVING without GROUP BY is parsed
SELECT a FROM t HAVING a > 1
=====
#: GROUP BY with qualified column and HAVING
SELECT a, COUNT(*) FROM t GROUP BY a, t.b HAVING COUNT(*) > 1
=====
#: GROUP BY takes columns only
SELECT a FROM t GROUP BY a + 1
=====
#: GROUP without BY
SELECT a FROM t GROUP a
=====
#: quoted table, alias, extra token
SELECT * FROM [t] x y
=====
#: unquoted table name takes the following words
SELECT * FROM t x y
=====
#: AS is not accepted in FROM
SELECT * FROM t AS x
=====
#: alias after a quoted table
SELECT * FROM [t] x
=====
#: double-quoted table with alias
SELECT * FROM "Order Details" od WHERE od.Qty > 1
=====
#: two tables
SELECT * FROM a, b
=====
#: three tables with aliases
SELECT * FROM [a] x, [b] y, c
=====
#: left outer join
SELECT * FROM a LEFT OUTER JOIN b ON a.k = b.k
=====
#: LEFT JOIN without OUTER
SELECT * FROM a LEFT JOIN b ON a.k = b.k
=====
#: outer-join escape
SELECT * FROM {oj a LEFT OUTER JOIN b ON a.k = b.k}
=====
#: long outer-join escape
SELECT * FROM --(*vendor(Microsoft),product(ODBC) oj a LEFT OUTER JOIN b ON a.k = b.k *)--
=====
#: inner join inside the escape
SELECT * FROM {oj a INNER JOIN b ON a.k = b.k}
=====
#: escape without its brace
SELECT * FROM {oj a LEFT OUTER JOIN b ON a.k = b.k
=====
#: inner join
SELECT * FROM a INNER JOIN b ON a.k = b.k
=====
#: nested chain closes from the inside out
SELECT * FROM a INNER JOIN b INNER JOIN c ON b.x = c.x ON a.x = b.x
=====
#: ON after every JOIN leaves the rest as extra text
SELECT * FROM a LEFT OUTER JOIN b ON a.k = b.k LEFT OUTER JOIN c ON b.k = c.k
=====
#: parenthesised left side
SELECT * FROM (a INNER JOIN b ON a.k = b.k) INNER JOIN c ON b.k = c.k
=====
#: parenthesised right side
SELECT * FROM a LEFT OUTER JOIN (b LEFT OUTER JOIN c ON b.k = c.k) ON a.k = b.k
=====
#: join then a plain table
SELECT * FROM [a] x INNER JOIN [b] y ON x.k = y.k, c
=====
#: plain table then an escape
SELECT * FROM c, {oj a LEFT OUTER JOIN b ON a.k = b.k}
=====
#: join without ON
SELECT * FROM a INNER JOIN b
=====
#: database qualifier dropped
SELECT * FROM db..Customers
=====
#: owner qualifier dropped
SELECT * FROM owner.Customers WHERE Id = 1
=====
#: table name with a blank
SELECT * FROM Sales Orders WHERE Id = 1
=====
#: two blanks before a keyword leave no trailing blank
SELECT * FROM Sales  Orders  WHERE Id = 1
=====
#: a blank at the end leaves no trailing blank
SELECT * FROM Orders 
=====
#: application-qualified table name
SELECT * FROM My App: Customers
=====
#: ';' ends a name and the statement
SELECT * FROM t;
=====
#: batch rest keeps its leading blank
SELECT * FROM t; SELECT 1 FROM u
=====
#: the next parse on the handle drops the earlier batch rest
#! same-handle
SELECT * FROM v
=====
#: batch rest is not parsed
SELECT * FROM t ;garbage(
=====
#: batch over lines
SELECT * FROM t
;
DELETE FROM t
=====
#: ordinal and column
SELECT * FROM t WHERE a = 1 ORDER BY 2 DESC, name
=====
#: bare arithmetic is not an item
SELECT * FROM t ORDER BY a + b
=====
#: primaries as items
SELECT * FROM t ORDER BY (a + b) ASC, {fn UCASE(b)}, COUNT(*) DESC, 'x'
=====
#: ORDER without BY
SELECT * FROM t ORDER a
=====
#: a number that is not an ordinal is a literal item
SELECT * FROM t ORDER BY 1.5
=====
#: qualified sort column
SELECT * FROM t ORDER BY t.a DESC
=====
#: NOT binds one predicate, AND over OR
SELECT * FROM t WHERE NOT a = 1 OR b = 2 AND c = 3
=====
#: OR is right-associative
SELECT * FROM t WHERE a = 1 OR b = 2 OR c = 3 OR d = 4
=====
#: AND is right-associative
SELECT * FROM t WHERE a = 1 AND b = 2 AND c = 3
=====
#: parenthesised condition is the OR node itself
SELECT * FROM t WHERE (a = 1 OR b = 2)
=====
#: parentheses and NOT
SELECT * FROM t WHERE (a = 1 OR b = 2) AND NOT (c = 3)
=====
#: parenthesised expression on the left
SELECT * FROM t WHERE (a + b) > 3
=====
#: doubly parenthesised operand
SELECT * FROM t WHERE ((a)) = 1
=====
#: IS NULL
SELECT * FROM t WHERE a IS NULL
=====
#: IS NOT NULL
SELECT * FROM t WHERE a IS NOT NULL
=====
#: IS only after a column
SELECT * FROM t WHERE (a + 1) IS NULL
=====
#: IS with a name
SELECT * FROM t WHERE a IS x
=====
#: IS NOT with another keyword
SELECT * FROM t WHERE a IS NOT IN (1)
=====
#: ANY
SELECT * FROM t WHERE a = ANY (SELECT x FROM u)
=====
#: ALL
SELECT * FROM t WHERE a <> ALL (SELECT x FROM u)
=====
#: comparison with a sub-select
SELECT * FROM t WHERE a = (SELECT x FROM u)
=====
#: ALL without a sub-select refused
SELECT * FROM t WHERE a = ALL 5
=====
#: ANY with a list refused
SELECT * FROM t WHERE a = ANY (1, 2)
=====
#: IN sub-select
SELECT * FROM t WHERE a IN (SELECT x FROM u)
=====
#: NOT IN correlated sub-select
SELECT * FROM t WHERE a NOT IN (SELECT x FROM u WHERE u.k = t.k)
=====
#: IN list with NULL
SELECT * FROM t WHERE a IN (1, NULL, 3)
=====
#: NOT IN list
SELECT * FROM t WHERE a NOT IN ('x')
=====
#: empty IN list
SELECT * FROM t WHERE a IN ()
=====
#: IN without parentheses
SELECT * FROM t WHERE a IN 1
=====
#: BETWEEN
SELECT * FROM t WHERE a BETWEEN 1 AND 10
=====
#: NOT BETWEEN
SELECT * FROM t WHERE a NOT BETWEEN 1 AND 10
=====
#: BETWEEN needs AND
SELECT * FROM t WHERE a BETWEEN 1 OR 10
=====
#: LIKE
SELECT * FROM t WHERE a LIKE 'x%'
=====
#: NOT LIKE with a marker
SELECT * FROM t WHERE a NOT LIKE ?
=====
#: LIKE USER
SELECT * FROM t WHERE a LIKE USER
=====
#: LIKE takes no column
SELECT * FROM t WHERE a LIKE b
=====
#: NOT then neither LIKE, IN nor BETWEEN
SELECT * FROM t WHERE a NOT x
=====
#: an unknown operator word joins the column name
SELECT * FROM t WHERE a MATCHES 'x'
=====
#: == is two symbols
SELECT * FROM t WHERE a == 1
=====
#: ! starts a name
SELECT * FROM t WHERE a ! 1
=====
#: every comparison
SELECT * FROM t WHERE a < b AND a <= b AND a >= b AND a > b AND a <> b
=====
#: unknown symbol where a comparison stands
SELECT * FROM t WHERE a + 1 < b
=====
#: expression without comparison
SELECT * FROM t WHERE a * 2
=====
#: a symbol that is no comparison
SELECT * FROM t WHERE a ) 1
=====
#: EXISTS
SELECT * FROM t WHERE EXISTS (SELECT * FROM u)
=====
#: NOT EXISTS
SELECT * FROM t WHERE NOT EXISTS (SELECT * FROM u WHERE u.k = t.k)
=====
#: EXISTS needs a SELECT
SELECT * FROM t WHERE EXISTS (a)
=====
#: columns with blanks before operator keywords
SELECT * FROM t WHERE Customer Name LIKE 'A%' AND Ship Date IS NULL
=====
#: subtraction is left-associative
SELECT 1 - 2 - 3 FROM t
=====
#: precedence
SELECT 2 * 3 + 4, 2 + 3 * 4 FROM t
=====
#: division and multiplication left to right
SELECT a / b * c FROM t
=====
#: unary minus and plus
SELECT -x, +x FROM t
=====
#: a second sign reaches the number
SELECT - -5 FROM t
=====
#: a signed ten-character integer is a double
SELECT - -123456789 FROM t
=====
#: negated parentheses
SELECT -(a + 1) FROM t
=====
#: integers and the ten-character rule
SELECT 123, 1234567890, -123456789 FROM t
=====
#: numeric and double literals
SELECT 12.50, 12., 1.5E3, 3E-1, 0.1, .5, 007.50 FROM t
=====
#: long numeric literal
SELECT 99999999999999999999.5 FROM t
=====
#: an underflowing literal is zero
SELECT 1E-400 FROM t
=====
#: an overflowing literal is refused
SELECT 1E400 FROM t
=====
#: malformed number in an expression
SELECT 1.2.3 FROM t
=====
#: strings with doubled quote and empty
SELECT 'It''s', '' FROM t
=====
#: unterminated string in an expression
SELECT 'abc FROM t
=====
#: USER
SELECT USER FROM t
=====
#: number followed by a name
SELECT a FROM t WHERE b = 12abc
=====
#: qualified columns
SELECT t.c, t . d FROM t
=====
#: qualifier dot without a column
SELECT t. FROM t
=====
#: quoted column names
SELECT [Order Date], "Ship Via" FROM t
=====
#: unclosed parenthesis
SELECT (a FROM t
=====
#: empty parentheses
SELECT () FROM t
=====
#: every aggregate
SELECT COUNT(*), COUNT(x), SUM(a*b), AVG(a), MAX(a), MIN(a) FROM t
=====
#: no DISTINCT inside an aggregate
SELECT COUNT(DISTINCT x) FROM t
=====
#: only COUNT takes *
SELECT SUM(*) FROM t
=====
#: aggregate without its parenthesis
SELECT SUM(a FROM t
=====
#: aggregate keywords ignore case
SELECT count(*) FROM t
=====
#: short function escape
SELECT {fn UCASE(name)} FROM t
=====
#: long function escape
SELECT --(*vendor(Microsoft),product(ODBC) fn UCASE(name)*)-- FROM t
=====
#: no arguments
SELECT {fn NOW()} FROM t
=====
#: POSITION takes IN
SELECT {fn POSITION('a' IN name)} FROM t
=====
#: EXTRACT takes FROM
SELECT {fn EXTRACT(YEAR FROM d)} FROM t
=====
#: two arguments
SELECT {fn X(1, 2)} FROM t
=====
#: nested functions
SELECT {fn CONCAT({fn UCASE(a)}, {fn LCASE(b)})} FROM t
=====
#: aggregate inside a function
SELECT {fn ABS(MAX(a))} FROM t
=====
#: NULL argument
SELECT {fn IFNULL(a, NULL)} FROM t
=====
#: function escape without its brace
SELECT {fn UCASE(name) FROM t
=====
#: function without a name
SELECT {fn (name)} FROM t
=====
#: POSITION outside an escape is no call
SELECT POSITION('a' IN name) FROM t
=====
#: date escape
SELECT {d '2024-02-29'} FROM t
=====
#: time escape
SELECT {t '10:11:12'} FROM t
=====
#: timestamp escape
SELECT {ts '2024-01-01 10:00:00'} FROM t
=====
#: timestamp with fraction
SELECT {ts '2024-01-01 10:00:00.5'} FROM t
=====
#: escape keyword ignores case
SELECT {D '2024-01-01'} FROM t
=====
#: long date escape
SELECT --(*vendor(Microsoft),product(ODBC) d '2024-03-01'*)-- FROM t
=====
#: date escapes in a condition
SELECT * FROM t WHERE d >= {d '2024-01-01'} AND d < {d '2024-02-01'}
=====
#: malformed date escape
SELECT {d 'x'} FROM t
=====
#: impossible date
SELECT {d '2023-02-29'} FROM t
=====
#: impossible time in a condition
SELECT * FROM t WHERE d = {t '25:00:00'}
=====
#: escape without its brace
SELECT {d '2024-01-01' FROM t
=====
#: markers numbered in text order
SELECT ? FROM t WHERE a = ? AND b LIKE ?
=====
#: a marker read twice by backtracking is numbered once
SELECT * FROM t WHERE (? + 1) > 3
=====
#: markers after nested backtracking
SELECT * FROM t WHERE ((? + ?) * 2) = ? OR a IN (?, ?)
=====
#: markers in a function and a parenthesised predicate
SELECT * FROM t WHERE {fn ABS(?)} = 1 AND (a = ?)
=====
#: markers in VALUES
INSERT INTO t VALUES (?, ?, ?)
=====
#: markers in SET and WHERE
UPDATE t SET a = ?, b = ? WHERE c = ?
=====
#: VALUES with NULL
INSERT INTO t VALUES (1, NULL, 'x')
=====
#: INSERT ... SELECT
INSERT INTO t (a, b) SELECT c, d FROM u
=====
#: no ORDER BY in INSERT ... SELECT
INSERT INTO t SELECT * FROM u ORDER BY c
=====
#: no TOP in INSERT ... SELECT
INSERT INTO t SELECT TOP 5 * FROM u
=====
#: names with blanks keep ON in column lists
INSERT INTO Sales Orders (Customer Name, Ship On) VALUES (1, 2)
=====
#: INTO missing
INSERT t VALUES (1)
=====
#: VALUES needs parentheses
INSERT INTO t VALUES 1
=====
#: column list without its parenthesis
INSERT INTO t (a, b VALUES (1, 2)
=====
#: keyword as column name
INSERT INTO t (SELECT) VALUES (1)
=====
#: nothing after the table
INSERT INTO t
=====
#: pass-through INSERT
INSERTOQ INTO t VALUES (1)
=====
#: the next statement on the handle clears the pass-through flag
#! same-handle
SELECT * FROM t
=====
#: two assignments and WHERE
UPDATE t SET a = NULL, b = b + 1 WHERE c = 2
=====
#: no WHERE
UPDATE t SET a = 1
=====
#: no alias after a quoted table
UPDATE [t] x SET a = 1
=====
#: = missing
UPDATE t SET a 1
=====
#: SET missing
UPDATE t a = 1
=====
#: blanks and ON in a SET column
UPDATE Sales Orders SET Ship On = {d '2024-05-01'} WHERE Id = 7
=====
#: pass-through UPDATE
UPDATEOQ t SET a = 1
=====
#: DELETE without WHERE
DELETE FROM t
=====
#: DELETE with WHERE
DELETE FROM t WHERE a = 1 AND b IS NULL
=====
#: FROM missing
DELETE t WHERE a = 1
=====
#: pass-through DELETE
DELETEOQ FROM t WHERE a = ?
=====
#: WHERE without a condition
DELETE FROM t WHERE
=====
#: columns with 1, 2 and 0 sizes
CREATE TABLE t (a VARCHAR(40), b NUMERIC(10, 2), c DATE)
=====
#: primary key
CREATE TABLE t (a INTEGER, CONSTRAINT pk PRIMARY KEY (a))
=====
#: foreign key
CREATE TABLE t (p INTEGER, CONSTRAINT fk FOREIGN KEY (p) REFERENCES parent (id))
=====
#: UNIQUE constraint refused
CREATE TABLE t (a INTEGER, CONSTRAINT c UNIQUE (a))
=====
#: primary key of two columns refused
CREATE TABLE t (a INTEGER, CONSTRAINT pk PRIMARY KEY (a, b))
=====
#: KEY missing
CREATE TABLE t (a INTEGER, CONSTRAINT pk PRIMARY (a))
=====
#: ( missing
CREATE TABLE t (a INTEGER, CONSTRAINT pk PRIMARY KEY a)
=====
#: REFERENCES missing
CREATE TABLE t (p INTEGER, CONSTRAINT fk FOREIGN KEY (p) parent (id))
=====
#: ( of REFERENCES missing
CREATE TABLE t (p INTEGER, CONSTRAINT fk FOREIGN KEY (p) REFERENCES parent id)
=====
#: ) of REFERENCES missing
CREATE TABLE t (p INTEGER, CONSTRAINT fk FOREIGN KEY (p) REFERENCES parent (id
=====
#: names with blanks must be quoted here
CREATE TABLE t (My Col VARCHAR(10))
=====
#: quoted names
CREATE TABLE "My Table" ([My Col] VARCHAR(10))
=====
#: size that is not a number
CREATE TABLE t (a VARCHAR(x))
=====
#: fractional size
CREATE TABLE t (a VARCHAR(10.5))
=====
#: largest size
CREATE TABLE t (a VARCHAR(4294967295))
=====
#: size above 32 bits refused
CREATE TABLE t (a VARCHAR(4294967296))
=====
#: malformed size number
CREATE TABLE t (a VARCHAR(1.2.3))
=====
#: wrong symbol after the size
CREATE TABLE t (a NUMERIC(10; 2))
=====
#: three sizes
CREATE TABLE t (a NUMERIC(10, 2, 3))
=====
#: ( missing
CREATE TABLE t a INTEGER
=====
#: ) missing
CREATE TABLE t (a INTEGER
=====
#: table name missing
CREATE TABLE (a INTEGER)
=====
#: unique index with blanks
CREATE UNIQUE INDEX ix ON Sales Orders (Customer Name DESC, Id)
=====
#: index
CREATE INDEX ix ON t (a ASC, b)
=====
#: ON missing
CREATE INDEX ix t (a)
=====
#: UNIQUE before TABLE
CREATE UNIQUE TABLE t (a INTEGER)
=====
#: CREATE of something else
CREATE VIEW v AS SELECT * FROM t
=====
#: pass-through CREATE
CREATEOQ TABLE t (a INTEGER)
=====
#: ALTER TABLE ADD two columns
ALTER TABLE t ADD c INTEGER, d VARCHAR(10)
=====
#: ALTER TABLE ADD a constraint
ALTER TABLE t ADD CONSTRAINT fk FOREIGN KEY (c) REFERENCES u (id)
=====
#: no parentheses after ADD
ALTER TABLE t ADD (c INTEGER)
=====
#: ADD missing
ALTER TABLE t c INTEGER
=====
#: TABLE missing
ALTER t ADD c INTEGER
=====
#: drop index
DROP INDEX ix
=====
#: drop table
DROP TABLE t
=====
#: drop a quoted table
DROP TABLE [My Table]
=====
#: TABLE missing
DROP VIEW v
=====
#: pseudo-statement
SQL
=====
#: extra token after SQL
SQL x
=====
#: pseudo-statement with an empty batch
sql;
=====
#: unknown statement keyword
GRANT SELECT ON t
=====
#: a keyword that begins no statement
WHERE a = 1
=====
#: statement beginning with a name
foo bar
=====
#: empty text

=====
#: blanks only
   
	 
=====
#: quoted first word
"SELECT" * FROM t
=====
#: extra token after WHERE
SELECT * FROM t WHERE a = 1 garbage
=====
#: extra string
SELECT * FROM t WHERE a = 'x' 'y'
=====
#: a NUL inside the text's length is refused before parsing
#! nul 15
SELECT * FROM t WHERE
=====
#: also in a later statement of a batch
#! nul 16
SELECT * FROM t;X
=====
#: a name of 65536 bytes is too large
#! expand @L@ 65536 a
SELECT * FROM @L@
=====
#: a name of 65535 bytes fits
#! expand @L@ 65535 a
SELECT * FROM @L@
=====
#: a string of 65536 bytes
#! expand @L@ 65536 x
SELECT * FROM t WHERE a = '@L@'
=====
#: a quoted name of 65536 bytes
#! expand @L@ 65536 q
SELECT * FROM [@L@]
=====
#: unterminated quoted name
SELECT * FROM [t
=====
#: unterminated double-quoted name
SELECT * FROM "t
=====
#: unterminated string in a condition
SELECT * FROM t WHERE a = 'abc
=====
#: unterminated pattern
SELECT * FROM t WHERE a LIKE 'abc
=====
#: exponent mark at the end
SELECT * FROM t WHERE a = 1E
=====
#: exponent sign at the end
SELECT * FROM t WHERE a = 1E+
=====
#: 200 nested parentheses parse
#! expand @P@ 200 (
#! expand @Q@ 200 )
SELECT @P@1@Q@ FROM t
=====
#: 300 nested parentheses stop at the limit
#! expand @P@ 300 (
#! expand @Q@ 300 )
SELECT @P@1@Q@ FROM t
=====
#: 300 nested conditions stop at the limit
#! expand @P@ 300 (
#! expand @Q@ 300 )
SELECT * FROM t WHERE @P@a = 1@Q@
=====
#: nested function calls
SELECT {fn A({fn A({fn A({fn A(1)})})})} FROM t
=====
=====
#: a column name of 65536 bytes in an expression
#! expand @L@ 65536 a
SELECT @L@ FROM t
=====
#: a malformed number in an IN list
SELECT * FROM t WHERE a IN (1, 1.2.3)
=====
#: a malformed number as a function argument
SELECT {fn ABS(1E)} FROM t
=====
#: a malformed number as an aggregate argument
SELECT SUM(1.2.3) FROM t
