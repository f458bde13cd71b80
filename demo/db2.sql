-- The DB2-side demo database: Harrow & Vale Engineering, a small firm of
-- consulting engineers. Built with the sqlite3 command-line tool; Velmarch
-- reaches it through the SQLite ODBC driver registered as the DB2 driver.
-- DB2 habits: upper-case names, CHAR codes, DECIMAL money, DATE/TIMESTAMP.

PRAGMA encoding = 'UTF-8';
BEGIN;

CREATE TABLE DEPARTMENT (
    DEPTNO    CHAR(3)       NOT NULL PRIMARY KEY,
    DEPTNAME  VARCHAR(36)   NOT NULL,
    MGRNO     CHAR(6),
    ADMRDEPT  CHAR(3)       NOT NULL,
    LOCATION  VARCHAR(30),
    BUDGET    DECIMAL(11,2)
);

INSERT INTO DEPARTMENT VALUES
    ('A00', 'Directors'' Office',            '000010', 'A00', 'London',     250000.00),
    ('B01', 'Structural Engineering',       '000020', 'A00', 'London',     480500.50),
    ('C01', 'Geotechnics',                  '000030', 'A00', 'München',    312750.25),
    ('D11', 'Drawing Office',               '000060', 'B01', '',           98000.00),
    ('E01', 'Site Services',                NULL,     'A00', 'São Paulo',  150000.00),
    ('F02', 'Research & "Special" Projects', '000090', 'A00', NULL,        NULL);

CREATE TABLE EMPLOYEE (
    EMPNO      CHAR(6)       NOT NULL PRIMARY KEY,
    FIRSTNME   VARCHAR(12)   NOT NULL,
    MIDINIT    CHAR(1)       NOT NULL,
    LASTNAME   VARCHAR(15)   NOT NULL,
    WORKDEPT   CHAR(3),
    PHONENO    CHAR(4),
    HIREDATE   DATE,
    JOB        CHAR(8),
    EDLEVEL    SMALLINT      NOT NULL,
    SEX        CHAR(1),
    BIRTHDATE  DATE,
    SALARY     DECIMAL(9,2),
    BONUS      DECIMAL(9,2),
    COMM       DOUBLE,
    FULLTIME   BOOLEAN,
    SHIFTSTART TIME,
    LASTLOGIN  TIMESTAMP,
    NOTES      VARCHAR(200)
);

INSERT INTO EMPLOYEE VALUES
    ('000010', 'Margaret', 'A', 'Harrow',     'A00', '3978', '1998-01-01', 'PRES',     18, 'F', '1961-08-24', 152750.00, 10000.00, 4220.0,   1, '08:30:00', '2024-11-29 17:42:08.125000', 'Founder'),
    ('000020', 'Thomas',   'J', 'Vale',       'B01', '3476', '2001-10-10', 'MANAGER',  18, 'M', '1968-02-02', 94250.00,  8000.00,  3300.5,   1, '08:00:00', '2024-11-29 16:05:51.5',       'Co-founder'),
    ('000030', 'Zoë',      '',  'Müller',     'C01', '4738', '2005-04-05', 'MANAGER',  20, 'F', '1971-05-11', 98250.00,  8000.00,  3060.0,   1, '09:00:00', '2024-11-28 09:12:44.004',     'Transferred from the München office'),
    ('000050', 'Seán',     'P', 'O''Brien',   'E01', '6789', '2009-08-17', 'MANAGER',  16, 'M', '1975-09-15', 80175.00,  8000.00,  3214.0,   1, '07:00:00', NULL,                          'Site lead, "always on site"'),
    ('000060', 'Irving',   'F', 'Stern',      'D11', '6423', '2003-09-14', 'MANAGER',  16, 'M', '1965-07-07', 72250.00,  5000.00,  2580.0,   1, '08:45:00', '2024-11-27 11:59:59.999999',  NULL),
    ('000070', 'Eva',      'D', 'Pulaski',    'D11', '7831', '2005-09-30', 'DESIGNER', 16, 'F', '1983-05-26', 56170.00,  NULL,     NULL,     1, '09:15:00', '2024-10-03 08:00:00.0',       ''),
    ('000090', 'Eileen',   'W', 'Henderson',  'F02', '5498', '2000-08-15', 'MANAGER',  16, 'F', '1971-05-15', 89750.00,  6000.00,  2380.0,   1, '08:30:00', '2024-11-29 10:20:30.25',      NULL),
    ('000100', 'Teodoro',  'Q', 'Spenser',    'E01', '0972', '2010-06-19', 'FIELDREP', 14, 'M', '1980-12-18', 46150.00,  500.00,   1904.25,  0, '06:00:00', '2023-06-01 06:01:02.5',       'Part-time, São Paulo site'),
    ('000110', 'Vincenzo', 'G', 'Lucchessi',  'A00', '3490', '1988-05-16', 'SALESREP', 19, 'M', '1959-11-05', 66500.00,  900.00,   3720.0,   1, '08:30:00', NULL,                          NULL),
    ('000120', 'Sean',     '',  'O''Connell', 'A00', '2167', '1993-12-05', 'CLERK',    14, 'M', '1972-10-18', 49250.00,  600.00,   2340.0,   1, '08:30:00', '2024-11-29 08:31:00.000001',  'Not to be confused with Seán O''Brien'),
    ('000130', 'Hana',     'M', '田中',        'C01', '4578', '2015-07-28', 'ANALYST',  16, 'F', '1990-09-15', 73800.00,  500.00,   2904.0,   1, '10:00:00', '2024-11-26 18:00:01.75',      '東京 liaison'),
    ('000140', 'Heather',  'A', 'Nicholls',   'C01', '1793', '2016-12-15', 'ANALYST',  18, 'F', '1986-01-19', 68420.00,  600.00,   2274.0,   0, NULL,       NULL,                          NULL),
    ('000150', 'Bruce',    '',  'Adamson',    'D11', '4510', '2012-02-12', 'DESIGNER', 16, 'M', '1987-05-17', 55280.00,  500.00,   2022.0,   1, '09:00:00', '2024-11-20 14:14:14.141',     'Works from Zürich on Fridays'),
    ('000160', 'Élodie',   'R', 'Pianka',     'D11', '3782', '2017-10-11', 'DESIGNER', 17, 'F', '1995-04-12', 62250.00,  400.00,   1780.0,   1, '09:00:00', '2024-11-29 12:00:00.5',       NULL),
    ('000170', 'Masatoshi','J', 'Yoshimura',  'D11', '2890', '2019-09-15', 'DESIGNER', 16, 'M', '1991-01-05', 44680.00,  500.00,   1974.0,   1, '09:30:00', '2024-09-09 09:09:09.09',      'Speaks 日本語 and English');

CREATE TABLE PROJECT (
    PROJNO    CHAR(6)      NOT NULL PRIMARY KEY,
    PROJNAME  VARCHAR(40)  NOT NULL,
    DEPTNO    CHAR(3)      NOT NULL,
    RESPEMP   CHAR(6)      NOT NULL,
    PRSTAFF   DOUBLE,
    PRSTDATE  DATE,
    PRENDATE  DATE,
    MAJPROJ   CHAR(6),
    ESTCOST   DECIMAL(12,2),
    CLIENT    VARCHAR(60)
);

INSERT INTO PROJECT VALUES
    ('AD3100', 'Head office refurbishment',        'A00', '000010', 0.5,  '2022-01-01', '2023-02-01', NULL,     120000.00, 'Harrow & Vale'),
    ('BR1000', 'Thames footbridge',               'B01', '000020', 6.0,  '2022-03-15', '2025-06-30', NULL,     2450000.00, 'City of London'),
    ('BR1010', 'Footbridge – deck design',        'B01', '000070', 2.5,  '2022-03-15', '2024-01-31', 'BR1000', 380000.50,  'City of London'),
    ('GT2000', 'Slope survey, Bayern',            'C01', '000030', 3.0,  '2023-05-02', NULL,         NULL,     215750.00,  'Freistaat Bayern – Straßenbauamt'),
    ('GT2010', '東京 basement retrofit study',       'C01', '000130', 1.5,  '2024-02-01', '2024-12-20', NULL,     99000.00,   '株式会社サンプル建設'),
    ('SS3000', 'São Paulo depot foundations',     'E01', '000050', 4.25, '2023-09-01', '2025-03-31', NULL,     640000.00,  'Armazéns São João Ltda.'),
    ('RS4000', 'The "Quiet Floor" acoustic trial','F02', '000090', 1.0,  '2024-06-10', NULL,         NULL,     NULL,       ''),
    ('DO5000', 'O''Hare hangar drawings',          'D11', '000060', 2.0,  '2021-11-01', '2022-04-15', NULL,     87500.00,   'O''Hare Aviation Services');

-- A mixed-case table name, with pictures: an 8x8 PNG each, one missing and
-- one empty.
CREATE TABLE EmpPhoto (
    EMPNO        CHAR(6)      NOT NULL PRIMARY KEY,
    PHOTO_FORMAT VARCHAR(10)  NOT NULL,
    PICTURE      BLOB,
    TAKEN        TIMESTAMP,
    CAPTION      VARCHAR(100)
);

INSERT INTO EmpPhoto VALUES
    ('000010', 'png', X'89504E470D0A1A0A0000000D49484452000000080000000808020000004B6D29DC000000114944415478DA63D06B3B8815310C2D09004B245D417E0709B30000000049454E44AE426082', '2023-03-01 10:15:00.250', 'Margaret at the bridge opening'),
    ('000030', 'png', X'89504E470D0A1A0A0000000D49484452000000080000000808020000004B6D29DC000000114944415478DA637856A78415310C2D09004A0261814C38B6CC0000000049454E44AE426082', '2023-03-01 10:16:30.5',   'Zoë Müller'),
    ('000050', 'png', X'89504E470D0A1A0A0000000D49484452000000080000000808020000004B6D29DC000000114944415478DA63505F978015310C2D0900214A4D41A19B9A280000000049454E44AE426082', '2024-07-19 15:00:00.0',   'Seán O''Brien, São Paulo site'),
    ('000070', 'png', NULL,                                                                                                                                                         NULL,                      NULL),
    ('000130', 'png', X'',                                                                                                                                                          '2024-02-01 09:00:00.001', '');

-- 50,000 sales lines over two years, built by a recursive count; every
-- value is derived from the line number, so each build gives the same rows.
CREATE TABLE SALES (
    SALES_ID     INTEGER       NOT NULL PRIMARY KEY,
    SALES_DATE   DATE          NOT NULL,
    SALES_PERSON VARCHAR(15)   NOT NULL,
    REGION       VARCHAR(15)   NOT NULL,
    PRODUCT_CODE CHAR(8)       NOT NULL,
    QUANTITY     SMALLINT      NOT NULL,
    UNIT_PRICE   DECIMAL(9,2)  NOT NULL,
    AMOUNT       DOUBLE        NOT NULL,
    INVOICE_REF  BIGINT        NOT NULL,
    PAID         BOOLEAN,
    RECORDED_AT  TIMESTAMP     NOT NULL,
    NOTE         VARCHAR(100)
);

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50000),
line AS (
    SELECT i,
           (i * 7919) % 730                              AS day,
           (i * 104729) % 86400                          AS second,
           (i * 31) % 1000                               AS milli,
           1 + (i * 13) % 24                             AS qty,
           round(9.95 + ((i * 37) % 50000) / 100.0, 2)   AS price
    FROM n
)
INSERT INTO SALES
SELECT i,
       date('2023-01-01', '+' || day || ' days'),
       CASE i % 6 WHEN 0 THEN 'Lucchessi' WHEN 1 THEN 'O''Connell' WHEN 2 THEN 'Spenser'
                  WHEN 3 THEN 'Müller' WHEN 4 THEN 'O''Brien' ELSE '田中' END,
       CASE i % 7 WHEN 0 THEN 'London' WHEN 1 THEN 'München' WHEN 2 THEN 'São Paulo'
                  WHEN 3 THEN '東京' WHEN 4 THEN 'Québec' WHEN 5 THEN 'Zürich' ELSE 'Leeds' END,
       printf('HV-%05d', (i * 17) % 400),
       qty,
       price,
       round(qty * price, 2),
       4000000000 + i * 7,
       CASE WHEN i % 50 = 0 THEN NULL ELSE (i % 9 <> 0) END,
       date('2023-01-01', '+' || day || ' days') || ' ' || time(second, 'unixepoch') || printf('.%03d', milli),
       CASE WHEN i % 11 = 0 THEN 'Repeat order'
            WHEN i % 97 = 0 THEN 'Customer said "urgent"'
            WHEN i % 101 = 0 THEN ''
            WHEN i % 13 = 0 THEN 'Delivered to O''Hare'
            ELSE NULL END
FROM line;

-- A view: listed by the database, but not a table, so Velmarch leaves it out.
CREATE VIEW EMP_DEPT_V AS
    SELECT E.EMPNO, E.FIRSTNME, E.LASTNAME, D.DEPTNAME, D.LOCATION, E.SALARY
    FROM EMPLOYEE E LEFT JOIN DEPARTMENT D ON D.DEPTNO = E.WORKDEPT;

COMMIT;
