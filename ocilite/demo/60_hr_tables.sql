-- HR's tables: regions, countries (index-organised, as in Oracle's HR
-- sample), locations and jobs, with comments and a view.
WHENEVER SQLERROR EXIT FAILURE

CREATE TABLE regions (
  region_id   NUMBER CONSTRAINT reg_id_pk PRIMARY KEY,
  region_name VARCHAR2(25 CHAR)
);

CREATE TABLE countries (
  country_id   CHAR(2) CONSTRAINT country_c_id_pk PRIMARY KEY,
  country_name VARCHAR2(40 CHAR),
  region_id    NUMBER CONSTRAINT countr_reg_fk REFERENCES regions (region_id)
) ORGANIZATION INDEX;

CREATE TABLE locations (
  location_id    NUMBER(4) CONSTRAINT loc_id_pk PRIMARY KEY,
  street_address VARCHAR2(40 CHAR),
  postal_code    VARCHAR2(12),
  city           VARCHAR2(30 CHAR) NOT NULL,
  country_id     CHAR(2) CONSTRAINT loc_c_id_fk REFERENCES countries (country_id)
);

CREATE TABLE jobs (
  job_id     VARCHAR2(10) CONSTRAINT job_id_pk PRIMARY KEY,
  job_title  VARCHAR2(35 CHAR) NOT NULL,
  min_salary NUMBER(6),
  max_salary NUMBER(6)
);

INSERT INTO regions VALUES (1, 'ヨーロッパ');
INSERT INTO regions VALUES (2, '南北アメリカ');
INSERT INTO regions VALUES (3, 'アジア');
INSERT INTO regions VALUES (4, '中東・アフリカ');

INSERT INTO countries VALUES ('JP', '日本', 3);
INSERT INTO countries VALUES ('CN', '中国', 3);
INSERT INTO countries VALUES ('US', 'アメリカ合衆国', 2);
INSERT INTO countries VALUES ('DE', 'ドイツ', 1);
INSERT INTO countries VALUES ('EG', 'エジプト', 4);

INSERT INTO locations VALUES (1200, '千代田区丸の内 1-1-1', '100-0005', '東京', 'JP');
INSERT INTO locations VALUES (1300, '中央区大手前 2-1-22', '540-0008', '大阪', 'JP');
INSERT INTO locations VALUES (1400, '2014 Jabberwocky Rd', '26192', 'Southlake', 'US');
INSERT INTO locations VALUES (2700, 'Schwanthalerstr. 7031', '80925', 'München', 'DE');

INSERT INTO jobs VALUES ('AD_PRES', '社長', 20080, 40000);
INSERT INTO jobs VALUES ('SA_MAN', '営業部長', 10000, 20080);
INSERT INTO jobs VALUES ('SA_REP', '営業担当', 6000, 12008);
INSERT INTO jobs VALUES ('IT_PROG', 'プログラマ', 4000, 10000);

CREATE VIEW loc_country_v AS
  SELECT l.location_id, l.city, c.country_name
  FROM locations l, countries c
  WHERE l.country_id = c.country_id;

COMMENT ON TABLE regions IS '地域';
COMMENT ON TABLE countries IS '国（索引構成表）';
COMMENT ON TABLE locations IS '所在地';
COMMENT ON TABLE jobs IS '職種';
COMMENT ON COLUMN jobs.job_title IS '職名';

COMMIT;
