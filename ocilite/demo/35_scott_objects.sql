-- Object types: an address object, a varray of phone numbers, a nested
-- table of tags, a person holding an address and phones, an object table
-- of addresses and customers pointing at them with a REF.
WHENEVER SQLERROR EXIT FAILURE

ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS';

CREATE TYPE address_t AS OBJECT (
  prefecture VARCHAR2(20 CHAR),
  zip        VARCHAR2(8),
  moved_in   DATE,
  floor_no   NUMBER(3)
);
/
CREATE TYPE phone_list_t AS VARRAY(5) OF VARCHAR2(20);
/
CREATE TYPE tag_table_t AS TABLE OF VARCHAR2(30 CHAR);
/
CREATE TYPE person_t AS OBJECT (
  name    VARCHAR2(40 CHAR),
  address address_t,
  phones  phone_list_t
);
/

CREATE TABLE addresses OF address_t;
INSERT INTO addresses VALUES ('東京都', '100-0001', '2019-04-01 09:00:00', 12);
INSERT INTO addresses VALUES ('大阪府', '530-0001', '2021-10-15 14:30:00', 3);

CREATE TABLE customers (
  id      NUMBER(6) CONSTRAINT pk_customers PRIMARY KEY,
  contact person_t,
  address address_t,
  phones  phone_list_t,
  tags    tag_table_t,
  home    REF address_t
) NESTED TABLE tags STORE AS customers_tags;

COMMENT ON TABLE customers IS 'オブジェクト型の列を持つ顧客';

INSERT INTO customers (id, contact, address, phones, tags)
VALUES (1, person_t('山田 太郎', address_t('東京都', '100-0001', '2019-04-01 09:00:00', 12),
                    phone_list_t('03-1234-5678', '090-1111-2222')),
        address_t('東京都', '100-0001', '2019-04-01 09:00:00', 12),
        phone_list_t('03-1234-5678', '090-1111-2222'), tag_table_t('優良', '法人'));
INSERT INTO customers (id, contact, address, phones, tags)
VALUES (2, person_t('佐藤 花子', NULL, phone_list_t()), address_t('大阪府', NULL, NULL, NULL),
        phone_list_t(), tag_table_t());
INSERT INTO customers (id) VALUES (3);
UPDATE customers SET home = (SELECT REF(a) FROM addresses a WHERE a.zip = '100-0001') WHERE id = 1;
UPDATE customers SET home = (SELECT REF(a) FROM addresses a WHERE a.zip = '530-0001') WHERE id = 2;
COMMIT;
