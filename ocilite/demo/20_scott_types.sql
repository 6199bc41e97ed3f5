-- A table with a column of every type ocilite supports, and rows that show
-- what each type holds: exact decimals, Japanese text, dates with time,
-- fractional seconds, raw bytes, large text, an image and file pointers.
WHENEVER SQLERROR EXIT FAILURE

ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS';
ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF';

CREATE TABLE all_types (
  id          NUMBER(6) CONSTRAINT pk_all_types PRIMARY KEY,
  c_varchar2  VARCHAR2(40 CHAR),
  c_bytes     VARCHAR2(40 BYTE),
  c_nvarchar2 NVARCHAR2(20),
  c_char      CHAR(4),
  c_nchar     NCHAR(4),
  c_number    NUMBER,
  c_money     NUMBER(9,2),
  c_integer   NUMBER(10),
  c_ratio     NUMBER(6,5),
  c_float     FLOAT,
  c_double    BINARY_DOUBLE,
  c_date      DATE,
  c_timestamp TIMESTAMP(6),
  c_stamp3    TIMESTAMP(3),
  c_raw       RAW(16),
  c_long      LONG,
  c_clob      CLOB,
  c_nclob     NCLOB,
  c_blob      BLOB,
  c_bfile     BFILE
);

COMMENT ON TABLE all_types IS 'ocilite が扱う全データ型';
COMMENT ON COLUMN all_types.c_number IS '精度指定なしの NUMBER';
COMMENT ON COLUMN all_types.c_long IS 'LONG 列';

INSERT INTO all_types (id, c_varchar2, c_bytes, c_nvarchar2, c_char, c_nchar, c_number, c_money, c_integer,
                       c_ratio, c_float, c_double, c_date, c_timestamp, c_stamp3, c_raw, c_long)
VALUES (1, '日本語のテキスト', 'ascii text', '全角ＡＢＣ', 'AB', 'あい', 0.1, 1234567.89, 2147483648,
        0.33333, 3.14159, 2.5, '2024-02-29 13:45:06', '2024-02-29 13:45:06.123456', '2024-02-29 13:45:06.789',
        HEXTORAW('00FF7F80DEADBEEF'), '長いテキストを入れる LONG 列の値です。');
INSERT INTO all_types (id, c_varchar2, c_number, c_money, c_integer, c_ratio, c_date)
VALUES (2, 'ｈａｌｆ／ｆｕｌｌ 混在 ﾊﾝｶｸ', -0.001, -99.5, 0, 0.00001, '1999-12-31 23:59:59');
INSERT INTO all_types (id, c_number, c_money)
VALUES (3, 123456789012345, 9999999.99);
INSERT INTO all_types (id) VALUES (4);
COMMIT;
