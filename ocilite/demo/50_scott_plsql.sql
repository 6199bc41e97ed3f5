-- A stored procedure. ocilite keeps PL/SQL source without compiling it, so
-- the unit is stored with status INVALID, as Oracle reports a unit with
-- compilation errors.
CREATE OR REPLACE PROCEDURE raise_salary (p_empno IN NUMBER, p_pct IN NUMBER) IS
BEGIN
  UPDATE emp SET sal = sal * (1 + p_pct / 100) WHERE empno = p_empno;
END raise_salary;
/
