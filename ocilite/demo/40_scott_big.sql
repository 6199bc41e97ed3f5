-- BIG_TABLE: 100,000 generated rows for trying speed, made by one
-- recursive query rather than row by row.
WHENEVER SQLERROR EXIT FAILURE

CREATE TABLE big_table (
  id       NUMBER(9) CONSTRAINT pk_big_table PRIMARY KEY,
  code     VARCHAR2(12) NOT NULL,
  name     VARCHAR2(40 CHAR),
  amount   NUMBER(12,2),
  qty      NUMBER(6),
  category NUMBER(2),
  created  DATE,
  note     VARCHAR2(100),
  CONSTRAINT uk_big_table_code UNIQUE (code)
);

INSERT INTO big_table (id, code, name, amount, qty, category, created, note)
WITH n (i) AS (
  SELECT 1 FROM dual
  UNION ALL
  SELECT i + 1 FROM n WHERE i < 100000
)
SELECT i, 'B' || LPAD(i, 7, '0'), '商品 ' || i, MOD(i * 7919, 10000000) / 100, MOD(i, 997), MOD(i, 10),
       TO_DATE('2020-01-01', 'YYYY-MM-DD') + MOD(i, 1500),
       CASE WHEN MOD(i, 3) = 0 THEN NULL ELSE 'note ' || i END
FROM n;

COMMENT ON TABLE big_table IS '100,000 行の速度確認用テーブル';
COMMIT;
