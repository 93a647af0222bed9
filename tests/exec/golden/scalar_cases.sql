#: ASCII of a text column
SELECT {fn ASCII(Text)} FROM "Fn: Values"
=====
#: ASCII of the empty text
SELECT {fn ASCII('')} FROM "Fn: Values"
=====
#: ASCII of a NULL text is NULL
SELECT {fn ASCII("Text Null")} FROM "Fn: Values"
=====
#: BIT_LENGTH of a long text column
SELECT {fn BIT_LENGTH(Memo)} FROM "Fn: Values"
=====
#: CHAR of an integer literal
SELECT {fn CHAR(72)} FROM "Fn: Values"
=====
#: CHAR of a bit column
SELECT {fn ASCII({fn CHAR(Flag)})} FROM "Fn: Values"
=====
#: CHAR_LENGTH keeps trailing blanks
SELECT {fn CHAR_LENGTH(Padded)} FROM "Fn: Values"
=====
#: CHARACTER_LENGTH of a text column
SELECT {fn CHARACTER_LENGTH(Text)} FROM "Fn: Values"
=====
#: CONCAT of two columns
SELECT {fn CONCAT(Text, Padded)} FROM "Fn: Values"
=====
#: CONCAT with a NULL argument
SELECT {fn CONCAT(Text, "Text Null")} FROM "Fn: Values"
=====
#: CONCAT of two 200-character texts overflows 255
SELECT {fn CONCAT("Number Text", "Number Text")} FROM "Fn: Values"
=====
#: CONCAT reaching 255 exactly
SELECT {fn CONCAT({fn REPEAT('a', 200)}, {fn REPEAT('b', 55)})} FROM "Fn: Values"
=====
#: DIFFERENCE of equal sound codes
SELECT {fn DIFFERENCE(Text, 'Hallo Wurld')} FROM "Fn: Values"
=====
#: DIFFERENCE of different codes
SELECT {fn DIFFERENCE('Robert', Text)} FROM "Fn: Values"
=====
#: INSERT replaces bytes inside the text
SELECT {fn INSERT(Text, 7, 5, 'There')} FROM "Fn: Values"
=====
#: INSERT at start 0 is refused
SELECT {fn INSERT(Text, 0, 1, 'x')} FROM "Fn: Values"
=====
#: INSERT past the end is refused
SELECT {fn INSERT('abc', 4, 1, 'X')} FROM "Fn: Values"
=====
#: LCASE lowers every letter, not only A-Z
SELECT {fn LCASE('ÀBC Déf')} FROM "Fn: Values"
=====
#: LCASE of a column
SELECT {fn LCASE(Text)} FROM "Fn: Values"
=====
#: LEFT of a column
SELECT {fn LEFT(Text, 5)} FROM "Fn: Values"
=====
#: LEFT with 65537 keeps the whole text (32-bit count)
SELECT {fn LEFT(Text, 65537)} FROM "Fn: Values"
=====
#: LEFT with a negative count
SELECT {fn LEFT(Text, -1)} FROM "Fn: Values"
=====
#: NULL rule: the later argument is not evaluated
SELECT {fn LEFT("Text Null", {fn MOD(1, 0)})} FROM "Fn: Values"
=====
#: without a NULL the later argument fails
SELECT {fn LEFT(Text, {fn MOD(1, 0)})} FROM "Fn: Values"
=====
#: LENGTH drops trailing blanks
SELECT {fn LENGTH(Padded)} FROM "Fn: Values"
=====
#: LOCATE in a column
SELECT {fn LOCATE('o', Text)} FROM "Fn: Values"
=====
#: LOCATE from a start
SELECT {fn LOCATE('o', Text, 6)} FROM "Fn: Values"
=====
#: LOCATE from 0 is refused
SELECT {fn LOCATE('o', Text, 0)} FROM "Fn: Values"
=====
#: LTRIM of a column
SELECT {fn LTRIM(Padded)} FROM "Fn: Values"
=====
#: OCTET_LENGTH of a long text
SELECT {fn OCTET_LENGTH("Long Memo")} FROM "Fn: Values"
=====
#: POSITION IN
SELECT {fn POSITION('World' IN Text)} FROM "Fn: Values"
=====
#: REPEAT of a column
SELECT {fn REPEAT(Padded, 3)} FROM "Fn: Values"
=====
#: REPEAT up to 255 bytes
SELECT {fn REPEAT('ab', 127)} FROM "Fn: Values"
=====
#: REPEAT beyond 255 bytes
SELECT {fn REPEAT('ab', 128)} FROM "Fn: Values"
=====
#: REPLACE in a column
SELECT {fn REPLACE(Text, 'o', '0')} FROM "Fn: Values"
=====
#: REPLACE does not replace inside its own replacement
SELECT {fn REPLACE('ab', 'a', 'xa')} FROM "Fn: Values"
=====
#: REPLACE with an empty search text
SELECT {fn REPLACE(Text, '', 'x')} FROM "Fn: Values"
=====
#: REPLACE growing to 65025 bytes
SELECT {fn REPLACE({fn REPEAT('a', 255)}, 'a', {fn REPEAT('b', 255)})} FROM "Fn: Values"
=====
#: REPLACE beyond 65535 bytes
SELECT {fn REPLACE({fn REPLACE({fn REPEAT('a', 255)}, 'a', {fn REPEAT('b', 255)})}, 'b', 'cc')} FROM "Fn: Values"
=====
#: RIGHT of a column
SELECT {fn RIGHT(Text, 5)} FROM "Fn: Values"
=====
#: RTRIM of a column
SELECT {fn RTRIM(Padded)} FROM "Fn: Values"
=====
#: SOUNDEX of a column
SELECT {fn SOUNDEX(Text)} FROM "Fn: Values"
=====
#: SOUNDEX of a 1000-character text
SELECT {fn SOUNDEX("Long Memo")} FROM "Fn: Values"
=====
#: SPACE
SELECT {fn SPACE(3)} FROM "Fn: Values"
=====
#: SPACE of 65536 (32-bit count)
SELECT {fn SPACE(65536)} FROM "Fn: Values"
=====
#: SUBSTRING of a column
SELECT {fn SUBSTRING(Text, 7, 5)} FROM "Fn: Values"
=====
#: SUBSTRING with a negative length
SELECT {fn SUBSTRING('abcdef', 2, -1)} FROM "Fn: Values"
=====
#: SUBSTRING before the text
SELECT {fn SUBSTRING('abc', 0, 2)} FROM "Fn: Values"
=====
#: UCASE of a column
SELECT {fn UCASE(Text)} FROM "Fn: Values"
=====
#: ABS of a double column
SELECT {fn ABS(Amount)} FROM "Fn: Values"
=====
#: ABS of a NULL double
SELECT {fn ABS("Amount Null")} FROM "Fn: Values"
=====
#: ABS of a decimal literal
SELECT {fn ABS(-12.50)} FROM "Fn: Values"
=====
#: ABS of an integer
SELECT {fn ABS(-7)} FROM "Fn: Values"
=====
#: ACOS
SELECT {fn ACOS(Rate)} FROM "Fn: Values"
=====
#: ASIN
SELECT {fn ASIN(Rate)} FROM "Fn: Values"
=====
#: ATAN
SELECT {fn ATAN(Amount)} FROM "Fn: Values"
=====
#: ATAN2
SELECT {fn ATAN2(Amount, Rate)} FROM "Fn: Values"
=====
#: CEILING of a double column
SELECT {fn CEILING(Amount)} FROM "Fn: Values"
=====
#: CEILING of a decimal between -1 and 0 is zero
SELECT {fn CEILING(-0.5)} FROM "Fn: Values"
=====
#: SIGN of that CEILING
SELECT {fn SIGN({fn CEILING(-0.5)})} FROM "Fn: Values"
=====
#: CEILING of a decimal carries into a new digit
SELECT {fn CEILING(9.5)} FROM "Fn: Values"
=====
#: CEILING of a bit
SELECT {fn CEILING(Flag)} FROM "Fn: Values"
=====
#: COS
SELECT {fn COS(Rate)} FROM "Fn: Values"
=====
#: COT
SELECT {fn COT(Rate)} FROM "Fn: Values"
=====
#: COT of 0
SELECT {fn COT(0E0)} FROM "Fn: Values"
=====
#: DEGREES of a double
SELECT {fn DEGREES(Rate)} FROM "Fn: Values"
=====
#: DEGREES of a decimal
SELECT {fn DEGREES(0.5)} FROM "Fn: Values"
=====
#: DEGREES of an integer gives a double
SELECT {fn DEGREES(Flag)} FROM "Fn: Values"
=====
#: EXP
SELECT {fn EXP(Rate)} FROM "Fn: Values"
=====
#: FLOOR of a double column
SELECT {fn FLOOR(Amount)} FROM "Fn: Values"
=====
#: FLOOR of a negative decimal
SELECT {fn FLOOR(-12.50)} FROM "Fn: Values"
=====
#: FLOOR of an integer
SELECT {fn FLOOR(Flag)} FROM "Fn: Values"
=====
#: LOG
SELECT {fn LOG("Count")} FROM "Fn: Values"
=====
#: LOG of -1 is NaN
SELECT {fn LOG(-1E0)} FROM "Fn: Values"
=====
#: LOG10
SELECT {fn LOG10("Count")} FROM "Fn: Values"
=====
#: MOD of integers
SELECT {fn MOD(Flag, 2)} FROM "Fn: Values"
=====
#: MOD keeps the dividend's sign
SELECT {fn MOD(-7, 3)} FROM "Fn: Values"
=====
#: MOD by zero
SELECT {fn MOD(7, 0)} FROM "Fn: Values"
=====
#: PI
SELECT {fn PI()} FROM "Fn: Values"
=====
#: POWER of a double column
SELECT {fn POWER(Amount, 2)} FROM "Fn: Values"
=====
#: POWER of a decimal
SELECT {fn POWER(1.5, 2)} FROM "Fn: Values"
=====
#: POWER of integers
SELECT {fn POWER(2, 10)} FROM "Fn: Values"
=====
#: RADIANS of a double
SELECT {fn RADIANS(Amount)} FROM "Fn: Values"
=====
#: RADIANS of a decimal
SELECT {fn RADIANS(180.0)} FROM "Fn: Values"
=====
#: RADIANS of an integer
SELECT {fn RADIANS(180)} FROM "Fn: Values"
=====
#: RAND with an integer seed
SELECT {fn RAND(5)} FROM "Fn: Values"
=====
#: RAND continues the sequence
SELECT {fn RAND()} FROM "Fn: Values"
=====
#: RAND with a double seed restarts it
SELECT {fn RAND(5E0)} FROM "Fn: Values"
=====
#: RAND with a decimal seed
SELECT {fn RAND(5.0)} FROM "Fn: Values"
=====
#: ROUND of a double column
SELECT {fn ROUND(Amount, 0)} FROM "Fn: Values"
=====
#: ROUND of a double to hundreds
SELECT {fn ROUND(1234.5678E0, -2)} FROM "Fn: Values"
=====
#: ROUND of a decimal carries into a new digit
SELECT {fn ROUND(9.5, 0)} FROM "Fn: Values"
=====
#: ROUND of a decimal, half toward positive infinity
SELECT {fn ROUND(-2.5, 0)} FROM "Fn: Values"
=====
#: ROUND of an integer
SELECT {fn ROUND(Flag, 1)} FROM "Fn: Values"
=====
#: SIGN of a double column
SELECT {fn SIGN(Amount)} FROM "Fn: Values"
=====
#: SIGN of a decimal
SELECT {fn SIGN(-.5)} FROM "Fn: Values"
=====
#: SIGN of an integer
SELECT {fn SIGN(Flag)} FROM "Fn: Values"
=====
#: SIN
SELECT {fn SIN(Rate)} FROM "Fn: Values"
=====
#: SQRT
SELECT {fn SQRT("Count")} FROM "Fn: Values"
=====
#: SQRT of -1 is NaN
SELECT {fn SQRT(-1E0)} FROM "Fn: Values"
=====
#: TAN
SELECT {fn TAN(Rate)} FROM "Fn: Values"
=====
#: TRUNCATE of a double column
SELECT {fn TRUNCATE(Amount, 0)} FROM "Fn: Values"
=====
#: TRUNCATE of a decimal
SELECT {fn TRUNCATE(-1.25, 1)} FROM "Fn: Values"
=====
#: TRUNCATE of an integer
SELECT {fn TRUNCATE(Flag, 0)} FROM "Fn: Values"
=====
#: CURRENT_DATE
#! clock
SELECT {fn CURRENT_DATE()} FROM "Fn: Values"
=====
#: CURRENT_TIME
#! clock
SELECT {fn CURRENT_TIME()} FROM "Fn: Values"
=====
#: CURRENT_TIME with a precision
#! clock
SELECT {fn CURRENT_TIME(3)} FROM "Fn: Values"
=====
#: CURRENT_TIMESTAMP
#! clock
SELECT {fn CURRENT_TIMESTAMP()} FROM "Fn: Values"
=====
#: CURRENT_TIMESTAMP with TIMEZONEOFFSET
#! clock
#! tzoffset 330
SELECT {fn CURRENT_TIMESTAMP(3)} FROM "Fn: Values"
=====
#: CURDATE
#! clock
SELECT {fn CURDATE()} FROM "Fn: Values"
=====
#: CURTIME with TIMEZONEOFFSET
#! clock
#! tzoffset -600
SELECT {fn CURTIME()} FROM "Fn: Values"
=====
#: NOW
#! clock
SELECT {fn NOW()} FROM "Fn: Values"
=====
#: NOW with TIMEZONEOFFSET
#! clock
#! tzoffset -720
SELECT {fn NOW()} FROM "Fn: Values"
=====
#: DAYNAME of a date column
SELECT {fn DAYNAME(Day)} FROM "Fn: Values"
=====
#: DAYNAME of a timestamp column
#! zoned
SELECT {fn DAYNAME("Before Epoch")} FROM "Fn: Values"
=====
#: DAYNAME of a text
SELECT {fn DAYNAME('2024-06-02')} FROM "Fn: Values"
=====
#: DAYNAME of a time column
SELECT {fn DAYNAME(Clock)} FROM "Fn: Values"
=====
#: DAYOFMONTH of a text
SELECT {fn DAYOFMONTH('2024-02-29')} FROM "Fn: Values"
=====
#: DAYOFMONTH of a date column
SELECT {fn DAYOFMONTH(Day)} FROM "Fn: Values"
=====
#: DAYOFMONTH of a timestamp column
#! zoned
SELECT {fn DAYOFMONTH(Stamp)} FROM "Fn: Values"
=====
#: DAYOFMONTH of a NULL date
SELECT {fn DAYOFMONTH("Day Null")} FROM "Fn: Values"
=====
#: DAYOFWEEK of a date column
SELECT {fn DAYOFWEEK(Day)} FROM "Fn: Values"
=====
#: DAYOFWEEK of a Saturday
SELECT {fn DAYOFWEEK({d '2024-06-08'})} FROM "Fn: Values"
=====
#: DAYOFYEAR of the last day
SELECT {fn DAYOFYEAR("Last Day")} FROM "Fn: Values"
=====
#: DAYOFYEAR of 31 December of a leap year
SELECT {fn DAYOFYEAR('2024-12-31')} FROM "Fn: Values"
=====
#: EXTRACT HOUR of a timestamp column
#! zoned
SELECT {fn EXTRACT(HOUR FROM Stamp)} FROM "Fn: Values"
=====
#: EXTRACT MONTH of a date column
SELECT {fn EXTRACT(MONTH FROM Day)} FROM "Fn: Values"
=====
#: EXTRACT SECOND of a time column
SELECT {fn EXTRACT(SECOND FROM Clock)} FROM "Fn: Values"
=====
#: EXTRACT of a text holding a date only
SELECT {fn EXTRACT(DAY FROM '2024-11-05')} FROM "Fn: Values"
=====
#: HOUR of a text
SELECT {fn HOUR('13:14:15')} FROM "Fn: Values"
=====
#: HOUR of a time column
SELECT {fn HOUR(Clock)} FROM "Fn: Values"
=====
#: HOUR of a timestamp column
#! zoned
SELECT {fn HOUR(Stamp)} FROM "Fn: Values"
=====
#: HOUR of a NULL time
SELECT {fn HOUR("Clock Null")} FROM "Fn: Values"
=====
#: MINUTE of a text
SELECT {fn MINUTE('13:14:15')} FROM "Fn: Values"
=====
#: MINUTE of a time column
SELECT {fn MINUTE(Clock)} FROM "Fn: Values"
=====
#: MINUTE of a timestamp column
#! zoned
SELECT {fn MINUTE("Fall Back")} FROM "Fn: Values"
=====
#: MONTH of a text
SELECT {fn MONTH('2024-11-05')} FROM "Fn: Values"
=====
#: MONTH of a date column
SELECT {fn MONTH(Day)} FROM "Fn: Values"
=====
#: MONTH of a timestamp column
#! zoned
SELECT {fn MONTH("Month End")} FROM "Fn: Values"
=====
#: MONTHNAME of a text
SELECT {fn MONTHNAME('2024-02-29')} FROM "Fn: Values"
=====
#: MONTHNAME of the all-zero date
SELECT {fn MONTHNAME('0000-00-00')} FROM "Fn: Values"
=====
#: MONTHNAME of a date column
SELECT {fn MONTHNAME(Day)} FROM "Fn: Values"
=====
#: MONTHNAME of a timestamp column
#! zoned
SELECT {fn MONTHNAME("Before Epoch")} FROM "Fn: Values"
=====
#: QUARTER of a text
SELECT {fn QUARTER('2024-10-01')} FROM "Fn: Values"
=====
#: QUARTER of a date column
SELECT {fn QUARTER(Day)} FROM "Fn: Values"
=====
#: QUARTER of a timestamp column
#! zoned
SELECT {fn QUARTER("Fall Back")} FROM "Fn: Values"
=====
#: SECOND of a text
SELECT {fn SECOND('13:14:15')} FROM "Fn: Values"
=====
#: SECOND of a time column
SELECT {fn SECOND(Clock)} FROM "Fn: Values"
=====
#: SECOND of a timestamp column
#! zoned
SELECT {fn SECOND(Stamp)} FROM "Fn: Values"
=====
#: TIMESTAMPADD a month to 31 January of a leap year
#! zoned
SELECT {fn TIMESTAMPADD(SQL_TSI_MONTH, 1, "Month End")} FROM "Fn: Values"
=====
#: TIMESTAMPADD a month to 31 January
SELECT {fn TIMESTAMPADD(SQL_TSI_MONTH, 1, {ts '2023-01-31 00:00:00'})} FROM "Fn: Values"
=====
#: TIMESTAMPADD a quarter back
SELECT {fn TIMESTAMPADD(SQL_TSI_QUARTER, -1, {d '2024-05-15'})} FROM "Fn: Values"
=====
#: TIMESTAMPADD a year to a leap day
SELECT {fn TIMESTAMPADD(SQL_TSI_YEAR, 1, Day)} FROM "Fn: Values"
=====
#: TIMESTAMPADD a day to a leap day
SELECT {fn TIMESTAMPADD(SQL_TSI_DAY, 1, Day)} FROM "Fn: Values"
=====
#: TIMESTAMPADD an hour across the spring change
#! zoned
SELECT {fn TIMESTAMPADD(SQL_TSI_HOUR, 1, Stamp)} FROM "Fn: Values"
=====
#: TIMESTAMPADD 86400 seconds is one day (32-bit count)
#! zoned
SELECT {fn TIMESTAMPADD(SQL_TSI_SECOND, 86400, Stamp)} FROM "Fn: Values"
=====
#: TIMESTAMPADD 24 hours across the autumn change
#! zoned
SELECT {fn TIMESTAMPADD(SQL_TSI_HOUR, 24, "Fall Back")} FROM "Fn: Values"
=====
#: TIMESTAMPADD a week to a text
SELECT {fn TIMESTAMPADD(SQL_TSI_WEEK, 1, '1969-12-29 12:00:00')} FROM "Fn: Values"
=====
#: TIMESTAMPADD a day to 1969
#! zoned
SELECT {fn TIMESTAMPADD(SQL_TSI_DAY, 1, "Before Epoch")} FROM "Fn: Values"
=====
#: TIMESTAMPADD before year 1
SELECT {fn TIMESTAMPADD(SQL_TSI_MINUTE, -1, "First Day")} FROM "Fn: Values"
=====
#: TIMESTAMPADD after year 9999
SELECT {fn TIMESTAMPADD(SQL_TSI_DAY, 1, "Last Day")} FROM "Fn: Values"
=====
#: TIMESTAMPADD a second to the last moment
#! zoned
SELECT {fn TIMESTAMPADD(SQL_TSI_SECOND, 1, "Last Moment")} FROM "Fn: Values"
=====
#: TIMESTAMPADD years back to year 0
SELECT {fn TIMESTAMPADD(SQL_TSI_YEAR, -1969, "Before Epoch")} FROM "Fn: Values"
=====
#: TIMESTAMPADD to a NULL timestamp
SELECT {fn TIMESTAMPADD(SQL_TSI_DAY, 1, "Stamp Null")} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in days across the calendar
SELECT {fn TIMESTAMPDIFF(SQL_TSI_DAY, "First Day", "Last Day")} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in seconds beyond 32 bits
SELECT {fn TIMESTAMPDIFF(SQL_TSI_SECOND, "First Day", "Last Day")} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in years
SELECT {fn TIMESTAMPDIFF(SQL_TSI_YEAR, "First Day", Day)} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in hours across both changes
#! zoned
SELECT {fn TIMESTAMPDIFF(SQL_TSI_HOUR, Stamp, "Fall Back")} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in seconds from 1969
#! zoned
SELECT {fn TIMESTAMPDIFF(SQL_TSI_SECOND, "Before Epoch", {ts '1970-01-01 00:00:00'})} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in months from 31 January
SELECT {fn TIMESTAMPDIFF(SQL_TSI_MONTH, {d '2024-01-31'}, {d '2024-02-01'})} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in quarters
SELECT {fn TIMESTAMPDIFF(SQL_TSI_QUARTER, Day, {d '2023-02-01'})} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in weeks
SELECT {fn TIMESTAMPDIFF(SQL_TSI_WEEK, {d '1969-12-01'}, {d '1970-01-05'})} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in days, whole days only
SELECT {fn TIMESTAMPDIFF(SQL_TSI_DAY, {ts '2024-01-01 00:00:00'}, {ts '2024-01-02 12:00:00'})} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF in minutes, whole minutes only
SELECT {fn TIMESTAMPDIFF(SQL_TSI_MINUTE, {ts '2024-01-01 00:00:00'}, {ts '2024-01-01 00:01:30'})} FROM "Fn: Values"
=====
#: TIMESTAMPDIFF of a text holding a date only
SELECT {fn TIMESTAMPDIFF(SQL_TSI_DAY, '2024-01-01', Day)} FROM "Fn: Values"
=====
#: WEEK of a date column
SELECT {fn WEEK(Day)} FROM "Fn: Values"
=====
#: WEEK of a Sunday early in January
SELECT {fn WEEK({d '2025-01-05'})} FROM "Fn: Values"
=====
#: WEEK of 1 January
SELECT {fn WEEK('2022-01-01')} FROM "Fn: Values"
=====
#: YEAR of a text
SELECT {fn YEAR('2024-11-05')} FROM "Fn: Values"
=====
#: YEAR of a date column
SELECT {fn YEAR("First Day")} FROM "Fn: Values"
=====
#: YEAR of a timestamp column
#! zoned
SELECT {fn YEAR("Before Epoch")} FROM "Fn: Values"
=====
#: DATABASE
SELECT {fn DATABASE()} FROM "Fn: Values"
=====
#: IFNULL of a NULL text
SELECT {fn IFNULL("Text Null", 'x')} FROM "Fn: Values"
=====
#: IFNULL of a present text
SELECT {fn IFNULL(Text, 'x')} FROM "Fn: Values"
=====
#: IFNULL of two NULLs
SELECT {fn IFNULL("Stamp Null", "Stamp Null")} FROM "Fn: Values"
=====
#: IFNULL of a NULL double
SELECT {fn IFNULL("Amount Null", "Count")} FROM "Fn: Values"
=====
#: IFNULL of a NULL date
SELECT {fn IFNULL("Day Null", Day)} FROM "Fn: Values"
=====
#: IFNULL of a NULL time
SELECT {fn IFNULL("Clock Null", Clock)} FROM "Fn: Values"
=====
#: IFNULL of a bit and a decimal
SELECT {fn IFNULL(Flag, 2.5)} FROM "Fn: Values"
=====
#: IFNULL of CHAR values pads the result
SELECT {fn IFNULL({fn CONVERT("Text Null", SQL_CHAR)}, {fn CONVERT('x', SQL_CHAR)})} FROM "Fn: Values"
=====
#: IFNULL of a date and a text
SELECT {fn IFNULL(Day, 'x')} FROM "Fn: Values"
=====
#: USER
SELECT {fn USER()} FROM "Fn: Values"
=====
#: CONVERT a double column to CHAR
SELECT {fn CONVERT(Amount, SQL_CHAR)} FROM "Fn: Values"
=====
#: CONVERT a NULL double
SELECT {fn CONVERT("Amount Null", SQL_CHAR)} FROM "Fn: Values"
=====
#: CONVERT a NUMERIC(10,2) to CHAR
SELECT {fn CONVERT(-12345678.90, SQL_CHAR)} FROM "Fn: Values"
=====
#: CONVERT a NUMERIC(10,2) to BINARY
SELECT {fn CONVERT(-12345678.90, SQL_BINARY)} FROM "Fn: Values"
=====
#: CONVERT 200 characters of blanks, zeros and 1 to DECIMAL
SELECT {fn CONVERT("Number Text", SQL_DECIMAL)} FROM "Fn: Values"
=====
#: CONVERT a text to INTEGER
SELECT {fn CONVERT('12', SQL_INTEGER)} FROM "Fn: Values"
=====
#: CONVERT a text with a fraction to INTEGER
SELECT {fn CONVERT('12.5', SQL_INTEGER)} FROM "Fn: Values"
=====
#: CONVERT a double with a fraction to INTEGER
SELECT {fn CONVERT(Amount, SQL_INTEGER)} FROM "Fn: Values"
=====
#: CONVERT beyond INTEGER
SELECT {fn CONVERT(3000000000E0, SQL_INTEGER)} FROM "Fn: Values"
=====
#: CONVERT a text to TINYINT out of range
SELECT {fn CONVERT('200', SQL_TINYINT)} FROM "Fn: Values"
=====
#: CONVERT a double column to TINYINT
SELECT {fn CONVERT("Count", SQL_TINYINT)} FROM "Fn: Values"
=====
#: CONVERT a duration to SMALLINT out of range
SELECT {fn CONVERT(Spent, SQL_SMALLINT)} FROM "Fn: Values"
=====
#: CONVERT a bit to BIT
SELECT {fn CONVERT(Flag, SQL_BIT)} FROM "Fn: Values"
=====
#: CONVERT a date column to TIMESTAMP
SELECT {fn CONVERT(Day, SQL_TIMESTAMP)} FROM "Fn: Values"
=====
#: CONVERT a date column to TIME
SELECT {fn CONVERT(Day, SQL_TIME)} FROM "Fn: Values"
=====
#: CONVERT a timestamp column to CHAR
#! zoned
SELECT {fn CONVERT(Stamp, SQL_CHAR)} FROM "Fn: Values"
=====
#: CONVERT a timestamp column to DATE
#! zoned
SELECT {fn CONVERT("Before Epoch", SQL_DATE)} FROM "Fn: Values"
=====
#: CONVERT a time column to VARCHAR
SELECT {fn CONVERT(Clock, SQL_VARCHAR)} FROM "Fn: Values"
=====
#: CONVERT a text column to CHAR pads it
SELECT {fn CONVERT(Text, SQL_CHAR)} FROM "Fn: Values"
=====
#: CONVERT CHAR to VARCHAR drops trailing blanks
SELECT {fn CONVERT({fn CONVERT(Padded, SQL_CHAR)}, SQL_VARCHAR)} FROM "Fn: Values"
=====
#: CONVERT a text column to BINARY
SELECT {fn CONVERT(Padded, SQL_BINARY)} FROM "Fn: Values"
=====
#: CONVERT a text of wider characters to BINARY keeps every byte
SELECT {fn CONVERT('Müller', SQL_BINARY)} FROM "Fn: Values"
=====
#: CONVERT binary to CHAR as hexadecimal
SELECT {fn CONVERT({fn CONVERT(Padded, SQL_BINARY)}, SQL_CHAR)} FROM "Fn: Values"
=====
#: CONVERT binary back to INTEGER
SELECT {fn CONVERT({fn CONVERT(258, SQL_BINARY)}, SQL_INTEGER)} FROM "Fn: Values"
=====
#: CONVERT binary of the wrong width
SELECT {fn CONVERT({fn CONVERT(258, SQL_BINARY)}, SQL_SMALLINT)} FROM "Fn: Values"
=====
#: CONVERT one byte to BIT checks the BIT range
SELECT {fn CONVERT({fn CONVERT({fn CHAR(2)}, SQL_BINARY)}, SQL_BIT)} FROM "Fn: Values"
=====
#: CONVERT one byte to TINYINT
SELECT {fn CONVERT({fn CONVERT({fn CONVERT(-56, SQL_TINYINT)}, SQL_BINARY)}, SQL_TINYINT)} FROM "Fn: Values"
=====
#: CONVERT a long text to INTEGER is not supported
SELECT {fn CONVERT(Memo, SQL_INTEGER)} FROM "Fn: Values"
=====
#: CONVERT a percent to DECIMAL
SELECT {fn CONVERT(Rate, SQL_DECIMAL)} FROM "Fn: Values"
=====
#: CONVERT a text to BIGINT
SELECT {fn CONVERT('  0042', SQL_BIGINT)} FROM "Fn: Values"
=====
#: CONVERT a text to a date
SELECT {fn CONVERT('2024-02-29', SQL_DATE)} FROM "Fn: Values"
=====
#: CONVERT a text that is no date
SELECT {fn CONVERT(Text, SQL_DATE)} FROM "Fn: Values"
=====
#: CONVERT a long text is not supported
SELECT {fn CONVERT(Memo, SQL_VARCHAR)} FROM "Fn: Values"
=====
#: CONVERT to a long type is not supported
SELECT {fn CONVERT(Text, SQL_LONGVARCHAR)} FROM "Fn: Values"
=====
#: CONVERT of an attachment is refused
SELECT {fn CONVERT(Logo, SQL_CHAR)} FROM "Fn: Values"
=====
#: CONVERT NaN to DOUBLE
SELECT {fn CONVERT({fn LOG(-1E0)}, SQL_DOUBLE)} FROM "Fn: Values"
=====
#: CONVERT infinity to CHAR
SELECT {fn CONVERT({fn LOG(0E0)}, SQL_VARCHAR)} FROM "Fn: Values"
=====
#: IDENTITY before any flush
SELECT {fn IDENTITY()} FROM "Fn: Values"
=====
#: LASTERROR without a message
SELECT {fn LASTERROR()} FROM "Fn: Values"
=====
#: LENGTH of 80 characters of one byte
SELECT {fn LENGTH("Latin 80")} FROM "Fn: Values"
=====
#: LENGTH of 80 characters of two bytes
SELECT {fn LENGTH("Greek 80")} FROM "Fn: Values"
=====
#: CHAR_LENGTH of 80 characters of three bytes
SELECT {fn CHAR_LENGTH("Kanji 80")} FROM "Fn: Values"
=====
#: CHARACTER_LENGTH of 80 characters of four bytes
SELECT {fn CHARACTER_LENGTH("Emoji 80")} FROM "Fn: Values"
=====
#: OCTET_LENGTH counts the bytes of a mix
SELECT {fn OCTET_LENGTH("Mixed 80")} FROM "Fn: Values"
=====
#: BIT_LENGTH counts bits of the bytes
SELECT {fn BIT_LENGTH("Kanji 80")} FROM "Fn: Values"
=====
#: LEFT takes whole characters
SELECT {fn LEFT("Mixed 80", 3)} FROM "Fn: Values"
=====
#: RIGHT takes whole characters
SELECT {fn RIGHT("Emoji 80", 2)} FROM "Fn: Values"
=====
#: SUBSTRING near the end of 80 characters
SELECT {fn SUBSTRING("Kanji 80", 79, 5)} FROM "Fn: Values"
=====
#: SUBSTRING with a negative length counts characters back
SELECT {fn SUBSTRING("Greek 80", 3, -75)} FROM "Fn: Values"
=====
#: LOCATE answers a character position
SELECT {fn LOCATE('😀', "Mixed 80", 5)} FROM "Fn: Values"
=====
#: POSITION in a text of three-byte characters
SELECT {fn POSITION('名古屋' IN "Kanji 80")} FROM "Fn: Values"
=====
#: INSERT replaces characters
SELECT {fn INSERT("Emoji 80", 2, 77, 'Ω')} FROM "Fn: Values"
=====
#: REPEAT limits characters, not bytes
SELECT {fn REPEAT({fn LEFT("Mixed 80", 4)}, 63)} FROM "Fn: Values"
=====
#: CONCAT of 80 four-byte characters and nothing keeps all 80
SELECT {fn CONCAT("Emoji 80", '')} FROM "Fn: Values"
=====
#: CONCAT of 80 characters and one more holds all 81
SELECT {fn CONCAT("Mixed 80", 'x')} FROM "Fn: Values"
=====
#: UCASE of Greek letters
SELECT {fn UCASE("Greek 80")} FROM "Fn: Values"
=====
#: LCASE of the upper-cased Greek letters
SELECT {fn LCASE({fn UCASE("Greek 80")})} FROM "Fn: Values"
=====
#: UCASE of Cyrillic and accented Latin letters
SELECT {fn UCASE('Müller ґрунт ǆ')} FROM "Fn: Values"
=====
#: ASCII of a four-byte character is its code point
SELECT {fn ASCII("Emoji 80")} FROM "Fn: Values"
=====
#: CHAR above 127 is a character
SELECT {fn CHAR(252)} FROM "Fn: Values"
=====
#: SOUNDEX upper-cases every letter
SELECT {fn SOUNDEX('ſmith')} FROM "Fn: Values"
