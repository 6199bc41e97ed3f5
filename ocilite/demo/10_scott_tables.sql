-- SCOTT's classic tables with Japanese data: departments, employees and
-- salary grades (an index-organised table), with their keys, comments, a
-- view, a synonym and a sequence.
WHENEVER SQLERROR EXIT FAILURE

CREATE TABLE dept (
  deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY,
  dname  VARCHAR2(14 CHAR) NOT NULL,
  loc    VARCHAR2(13 CHAR),
  CONSTRAINT uk_dept_dname UNIQUE (dname)
);

CREATE TABLE emp (
  empno    NUMBER(4) CONSTRAINT pk_emp PRIMARY KEY,
  ename    VARCHAR2(20 CHAR) NOT NULL,
  kana     VARCHAR2(40 CHAR),
  job      VARCHAR2(9),
  mgr      NUMBER(4),
  hiredate DATE,
  sal      NUMBER(7,2),
  comm     NUMBER(7,2),
  deptno   NUMBER(2) CONSTRAINT fk_emp_dept REFERENCES dept (deptno)
);

CREATE TABLE salgrade (
  grade NUMBER CONSTRAINT pk_salgrade PRIMARY KEY,
  losal NUMBER(7,2) NOT NULL,
  hisal NUMBER(7,2) NOT NULL
) ORGANIZATION INDEX;

INSERT INTO dept VALUES (10, '経理部', '東京');
INSERT INTO dept VALUES (20, '研究開発部', '大阪');
INSERT INTO dept VALUES (30, '営業部', '名古屋');
INSERT INTO dept VALUES (40, '運用部', '福岡');

INSERT INTO emp VALUES (7369, '鈴木 一郎', 'スズキ イチロウ', 'CLERK', 7902, TO_DATE('1980-12-17', 'YYYY-MM-DD'), 800, NULL, 20);
INSERT INTO emp VALUES (7499, '佐藤 花子', 'サトウ ハナコ', 'SALESMAN', 7698, TO_DATE('1981-02-20', 'YYYY-MM-DD'), 1600, 300, 30);
INSERT INTO emp VALUES (7521, '高橋 健太', 'タカハシ ケンタ', 'SALESMAN', 7698, TO_DATE('1981-02-22', 'YYYY-MM-DD'), 1250, 500, 30);
INSERT INTO emp VALUES (7566, '田中 美咲', 'タナカ ミサキ', 'MANAGER', 7839, TO_DATE('1981-04-02', 'YYYY-MM-DD'), 2975, NULL, 20);
INSERT INTO emp VALUES (7654, '伊藤 大輔', 'イトウ ダイスケ', 'SALESMAN', 7698, TO_DATE('1981-09-28', 'YYYY-MM-DD'), 1250, 1400, 30);
INSERT INTO emp VALUES (7698, '渡辺 直樹', 'ワタナベ ナオキ', 'MANAGER', 7839, TO_DATE('1981-05-01', 'YYYY-MM-DD'), 2850, NULL, 30);
INSERT INTO emp VALUES (7782, '山本 さくら', 'ヤマモト サクラ', 'MANAGER', 7839, TO_DATE('1981-06-09', 'YYYY-MM-DD'), 2450, NULL, 10);
INSERT INTO emp VALUES (7788, '中村 翔', 'ナカムラ ショウ', 'ANALYST', 7566, TO_DATE('1987-04-19', 'YYYY-MM-DD'), 3000, NULL, 20);
INSERT INTO emp VALUES (7839, '小林 誠', 'コバヤシ マコト', 'PRESIDENT', NULL, TO_DATE('1981-11-17', 'YYYY-MM-DD'), 5000, NULL, 10);
INSERT INTO emp VALUES (7844, '加藤 結衣', 'カトウ ユイ', 'SALESMAN', 7698, TO_DATE('1981-09-08', 'YYYY-MM-DD'), 1500, 0, 30);
INSERT INTO emp VALUES (7876, '吉田 拓海', 'ヨシダ タクミ', 'CLERK', 7788, TO_DATE('1987-05-23', 'YYYY-MM-DD'), 1100, NULL, 20);
INSERT INTO emp VALUES (7900, '山田 陽菜', 'ヤマダ ヒナ', 'CLERK', 7698, TO_DATE('1981-12-03', 'YYYY-MM-DD'), 950, NULL, 30);
INSERT INTO emp VALUES (7902, '佐々木 蓮', 'ササキ レン', 'ANALYST', 7566, TO_DATE('1981-12-03', 'YYYY-MM-DD'), 3000, NULL, 20);
INSERT INTO emp VALUES (7934, '山口 葵', 'ヤマグチ アオイ', 'CLERK', 7782, TO_DATE('1982-01-23', 'YYYY-MM-DD'), 1300, NULL, 10);

INSERT INTO salgrade VALUES (1, 700, 1200);
INSERT INTO salgrade VALUES (2, 1201, 1400);
INSERT INTO salgrade VALUES (3, 1401, 2000);
INSERT INTO salgrade VALUES (4, 2001, 3000);
INSERT INTO salgrade VALUES (5, 3001, 9999);

CREATE INDEX emp_deptno_ix ON emp (deptno);

CREATE VIEW emp_dept_v AS
  SELECT e.empno, e.ename, e.job, e.sal, d.dname, d.loc
  FROM emp e, dept d
  WHERE e.deptno = d.deptno;

CREATE SYNONYM staff FOR emp;

CREATE SEQUENCE emp_seq START WITH 8000 INCREMENT BY 1;

COMMENT ON TABLE dept IS '部署';
COMMENT ON COLUMN dept.deptno IS '部署番号';
COMMENT ON COLUMN dept.dname IS '部署名';
COMMENT ON COLUMN dept.loc IS '所在地';
COMMENT ON TABLE emp IS '社員';
COMMENT ON COLUMN emp.empno IS '社員番号';
COMMENT ON COLUMN emp.ename IS '氏名';
COMMENT ON COLUMN emp.kana IS '氏名（カナ）';
COMMENT ON COLUMN emp.job IS '職種';
COMMENT ON COLUMN emp.mgr IS '上司の社員番号';
COMMENT ON COLUMN emp.hiredate IS '入社日';
COMMENT ON COLUMN emp.sal IS '給与';
COMMENT ON COLUMN emp.comm IS '歩合';
COMMENT ON COLUMN emp.deptno IS '部署番号';
COMMENT ON TABLE salgrade IS '給与等級（索引構成表）';
COMMENT ON TABLE emp_dept_v IS '社員と部署（ビュー）';

COMMIT;
