#: an equality on a numeric column
SELECT * FROM "Shop: Orders" o WHERE o.Amount = 5
=====
#: 5 < o.Amount is handed over as o.Amount > 5
SELECT * FROM "Shop: Orders" o WHERE 5 < o.Amount
=====
#: every comparison mirrors when the column stands right
SELECT * FROM "Shop: Orders" o WHERE 1 <= o.Amount AND 2 >= o.Amount AND 3 > o.Amount AND 4 <> o.Amount AND 'x' = o.Status
=====
#: ranks descending, equal ranks in the order written
SELECT * FROM "Shop: Orders" o WHERE o.Status = 'x' AND o.Amount > 1 AND o."Record ID#" = ? AND o.Name = 'n' AND o.Placed < {d '2024-01-01'}
=====
#: rank-0 columns are never handed over
SELECT * FROM "Shop: Customers" c WHERE c.Notes = 'x' AND c."Lead Time" > 5 AND c.Rate < 1 AND c.Owner = USER AND c.City = 'Oslo'
=====
#: an OR whose alternatives all go to the service
SELECT * FROM "Shop: Orders" o WHERE o.Amount = 1 OR o.Amount = 2 OR o.Status = 'x'
=====
#: an OR with an alternative on a rank-0 column sends nothing
SELECT * FROM "Shop: Customers" c WHERE c.City = 'Oslo' OR c.Notes = 'x'
=====
#: an OR with an alternative on another table sends nothing for either
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l WHERE o.Amount = 1 OR l.Qty = 2
=====
#: an OR with a sub-select alternative sends nothing; the sub-select is planned too
SELECT * FROM "Shop: Orders" o WHERE o.Amount = 1 OR o.Amount IN (SELECT l."Order Ref" FROM "Shop: Order Lines" l WHERE l.Qty > 3)
=====
#: an OR with an EXISTS alternative sends nothing
SELECT * FROM "Shop: Orders" o WHERE o.Amount = 1 OR EXISTS (SELECT * FROM "Shop: Order Lines" l WHERE l.Qty = 1)
=====
#: an OR with an arithmetic alternative sends nothing
SELECT * FROM "Shop: Orders" o WHERE o.Status = 'a' OR o.Amount + 1 = 2
=====
#: an OR inside an AND: the collection stops at the OR
SELECT * FROM "Shop: Orders" o WHERE o.Amount = 1 AND (o.Status = 'a' OR o.Status = 'b')
=====
#: an AND inside an OR sends nothing
SELECT * FROM "Shop: Orders" o WHERE o.Amount = 1 OR (o.Status = 'a' AND o.Name = 'b')
=====
#: an AND as the first alternative of an OR sends nothing
SELECT * FROM "Shop: Orders" o WHERE (o.Amount = 1 AND o.Status = 'a') OR o.Amount = 2
=====
#: NOT alone sends nothing
SELECT * FROM "Shop: Orders" o WHERE NOT o.Amount = 1
=====
#: NOT beside an AND keeps the other conjuncts
SELECT * FROM "Shop: Orders" o WHERE o.Status = 'a' AND NOT o.Amount = 1 AND o.Name = 'b'
=====
#: NOT as an alternative of an OR sends nothing
SELECT * FROM "Shop: Orders" o WHERE o.Status = 'a' OR NOT o.Amount = 1
=====
#: BETWEEN allows only an AND join
SELECT * FROM "Shop: Orders" o WHERE o.Amount BETWEEN 1 AND 10
=====
#: BETWEEN under OR
SELECT * FROM "Shop: Orders" o WHERE o.Amount BETWEEN 1 AND 10 OR o.Status = 'a'
=====
#: NOT BETWEEN clears the push-down flag
SELECT * FROM "Shop: Orders" o WHERE o.Amount NOT BETWEEN 1 AND 10 AND o.Status = 'a'
=====
#: NOT BETWEEN on a rank-0 column stays local and leaves the rest
SELECT * FROM "Shop: Customers" c WHERE c.Rate NOT BETWEEN 1 AND 10 AND c.City = 'a'
=====
#: a constant between two columns stays local
SELECT * FROM "Shop: Orders" o WHERE ? BETWEEN o.Amount AND o.Total
=====
#: a constant between two columns under AND leaves the other conjunct
SELECT * FROM "Shop: Orders" o WHERE 5 BETWEEN o.Amount AND o.Total AND o.Status = 'a'
=====
#: an upper bound from the same table stays local
SELECT * FROM "Shop: Orders" o WHERE o.Amount BETWEEN 1 AND o.Total
=====
#: bounds from an earlier table go with the later one
SELECT * FROM "Shop: Order Lines" l, "Shop: Orders" o WHERE o.Amount BETWEEN l.Qty AND l."Order Ref"
=====
#: IN and NOT IN lists of constants
SELECT * FROM "Shop: Orders" o WHERE o.Amount IN (1, 2, -3) AND o.Status NOT IN ('a', ?)
=====
#: an IN sub-select stays local
SELECT * FROM "Shop: Orders" o WHERE o.Amount IN (SELECT l.Qty FROM "Shop: Order Lines" l)
=====
#: LIKE, NOT LIKE and IS [NOT] NULL
SELECT * FROM "Shop: Orders" o WHERE o.Status LIKE 'ab%' AND o.Name NOT LIKE ? AND o.Customer IS NULL AND o.Placed IS NOT NULL
=====
#: arithmetic, negative numbers, functions and quantified sub-selects stay local
SELECT * FROM "Shop: Orders" o WHERE o.Amount = 1 + 2 AND o.Amount > -5 AND o.Status = {fn UCASE('a')} AND o.Amount > ALL (SELECT l.Qty FROM "Shop: Order Lines" l)
=====
#: t2.a = t1.b with t1 listed first goes with t2's query
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l WHERE l."Order Ref" = o."Record ID#"
=====
#: t1.b = t2.a with t1 listed first goes with t2's query, mirrored
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l WHERE o."Record ID#" = l."Order Ref"
=====
#: t2.a = t1.b with t1 listed after t2 is left to t1's query
SELECT * FROM "Shop: Order Lines" l, "Shop: Orders" o WHERE l."Order Ref" = o."Record ID#"
=====
#: two columns of one table stay local
SELECT * FROM "Shop: Orders" o WHERE o.Amount = o.Total
=====
#: a LEFT OUTER JOIN: the inner table takes its ON condition, the WHERE narrows only the outer table
SELECT * FROM "Shop: Orders" o LEFT OUTER JOIN "Shop: Order Lines" l ON l."Order Ref" = o."Record ID#" AND l.Qty > 1 WHERE o.Amount > 5 AND l.Product = 'x'
=====
#: an INNER JOIN's right table takes its ON condition
SELECT * FROM "Shop: Orders" o INNER JOIN "Shop: Order Lines" l ON l."Order Ref" = o."Record ID#" WHERE l.Qty > 2 AND o.Status = 'a'
=====
#: UPDATE and its WHERE
UPDATE "Shop: Orders" SET Status = 'x' WHERE 5 < Amount AND Status <> 'y'
=====
#: UPDATE comparing two of its columns
UPDATE "Shop: Orders" SET Status = 'x' WHERE Amount = Total
=====
#: DELETE by record id
DELETE FROM "Shop: Orders" WHERE "Record ID#" IN (1, 2) OR "Record ID#" = ?
=====
#: INSERT ... SELECT plans its source
INSERT INTO "Shop: Order Lines" ("Order Ref", Qty) SELECT o."Record ID#", o.Amount FROM "Shop: Orders" o WHERE o.Amount > 5
=====
#: an unqualified outer column in a sub-select whose table shares the outer alias
SELECT * FROM "Shop: Orders" o WHERE EXISTS (SELECT * FROM "Shop: Order Lines" o WHERE Amount > 5 AND Qty = 2)
=====
#: a correlated join condition stays local in the sub-select
SELECT * FROM "Shop: Orders" o WHERE o.Amount IN (SELECT l.Qty FROM "Shop: Order Lines" l WHERE l."Order Ref" = o."Record ID#")
=====
#: the identity pseudo-table has no column to hand over
SELECT * FROM "@@identity" WHERE IDENTITY = 1
=====
#: ORDER BY one table on a forward-only cursor
SELECT * FROM "Shop: Orders" o ORDER BY o.Amount DESC, o.Name
=====
#: ORDER BY t1.x, t1.y on a join moves t1 to the head
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l ORDER BY l.Qty, l.Product DESC
=====
#: the same ORDER BY on a scrollable cursor sorts locally
#! scrollable
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l ORDER BY l.Qty, l.Product DESC
=====
#: ORDER BY t1.x, t2.y sorts locally
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l ORDER BY l.Qty, o.Amount
=====
#: interleaved keys of two tables sort locally
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l ORDER BY l.Qty, o.Amount, l.Product
=====
#: an ORDER BY expression sorts locally
SELECT o.Amount + 1 AS x FROM "Shop: Orders" o ORDER BY o.Amount, {fn ABS(o.Amount)}
=====
#: an ordinal ORDER BY names a column
SELECT o.Status, o.Amount FROM "Shop: Orders" o ORDER BY 2, 1
=====
#: DISTINCT sorts locally
SELECT DISTINCT o.Amount FROM "Shop: Orders" o ORDER BY o.Amount
=====
#: GROUP BY sorts locally
SELECT o.Status, COUNT(*) FROM "Shop: Orders" o GROUP BY o.Status ORDER BY o.Status
=====
#: the outer-joined table's keys sort locally
SELECT * FROM "Shop: Orders" o LEFT OUTER JOIN "Shop: Order Lines" l ON l."Order Ref" = o."Record ID#" ORDER BY l.Qty
=====
#: the preserved table's keys
SELECT * FROM "Shop: Orders" o LEFT OUTER JOIN "Shop: Order Lines" l ON l."Order Ref" = o."Record ID#" ORDER BY o.Amount
=====
#: an INNER JOIN's right table sorts locally: its ON condition needs the left table's row first
SELECT * FROM "Shop: Orders" o INNER JOIN "Shop: Order Lines" l ON l."Order Ref" = o."Record ID#" ORDER BY l.Qty
=====
#: ten alternatives of one column = ? are a batched lookup
SELECT * FROM "Shop: Orders" WHERE Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ?
=====
#: nine alternatives are not
SELECT * FROM "Shop: Orders" WHERE Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ?
=====
#: eleven alternatives are not
SELECT * FROM "Shop: Orders" WHERE Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ?
=====
#: ten alternatives of (a = ? AND b = ?) are a batched lookup
SELECT * FROM "Shop: Orders" WHERE (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?)
=====
#: one alternative with its tests swapped is not
SELECT * FROM "Shop: Orders" WHERE (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Status = ? AND Amount = ?)
=====
#: the swapped alternative first is not either
SELECT * FROM "Shop: Orders" WHERE (Status = ? AND Amount = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?) OR (Amount = ? AND Status = ?)
=====
#: chains of six tests qualify
SELECT * FROM "Shop: Orders" WHERE (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ?)
=====
#: chains of seven tests do not
SELECT * FROM "Shop: Orders" WHERE (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?) OR (Amount = ? AND Status = ? AND Name = ? AND Customer = ? AND Placed = ? AND "Record ID#" = ? AND Total = ?)
=====
#: a literal in place of a marker does not
SELECT * FROM "Shop: Orders" WHERE Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = 5
=====
#: a marker on the left is mirrored first, so it qualifies
SELECT * FROM "Shop: Orders" WHERE ? = Amount OR ? = Amount OR ? = Amount OR ? = Amount OR ? = Amount OR ? = Amount OR ? = Amount OR ? = Amount OR ? = Amount OR ? = Amount
=====
#: with ORDER BY it is not
SELECT * FROM "Shop: Orders" WHERE Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? ORDER BY Amount
=====
#: with DISTINCT it is not
SELECT DISTINCT Amount FROM "Shop: Orders" WHERE Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ?
=====
#: with an aggregate it is not
SELECT COUNT(*) FROM "Shop: Orders" WHERE Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ? OR Amount = ?
=====
#: with two tables it is not
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l WHERE o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ?
=====
#: as a sub-select it is not
SELECT * FROM "Shop: Order Lines" l WHERE EXISTS (SELECT * FROM "Shop: Orders" o WHERE o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ? OR o.Amount = ?)
=====
#: planned twice, the operands are exchanged once
#! twice
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l WHERE 5 < o.Amount AND o."Record ID#" = l."Order Ref" AND ? >= l.Qty
=====
#: planned twice, the ORDER BY table stays at the head
#! twice
SELECT * FROM "Shop: Orders" o, "Shop: Order Lines" l WHERE l."Order Ref" = o."Record ID#" ORDER BY l.Qty
