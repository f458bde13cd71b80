-- The ASE-side demo database: Northlight Supplies, the firm's web shop for
-- tools and site equipment. Built with the sqlite3 command-line tool;
-- Velmarch reaches it through the SQLite ODBC driver registered as the ASE
-- driver. ASE habits: lower-case names, DATETIME, TEXT and IMAGE-like blobs.

PRAGMA encoding = 'UTF-8';
BEGIN;

CREATE TABLE customers (
    cust_id      INTEGER       NOT NULL PRIMARY KEY,
    name         VARCHAR(60)   NOT NULL,
    contact      VARCHAR(40),
    email        VARCHAR(80),
    phone        VARCHAR(20),
    city         VARCHAR(40),
    country      CHAR(2),
    credit_limit DECIMAL(12,2),
    is_active    BOOLEAN       NOT NULL,
    created_at   DATETIME      NOT NULL,
    notes        TEXT
);

INSERT INTO customers VALUES
    (1,  'Harrow & Vale Engineering',      'Margaret Harrow', 'accounts@harrowvale.example', '+44 20 7946 0018', 'London',    'GB', 50000.00,  1, '2019-04-02 09:14:22.123', 'Sister company; net 30'),
    (2,  'O''Brien Groundworks',           'Seán O''Brien',   'sean@obrien-gw.example',      '+353 1 555 0142',  'Cork',      'IE', 12500.00,  1, '2020-01-15 16:40:00.000', NULL),
    (3,  'Müller Baustoffe GmbH',          'Zoë Müller',      NULL,                          '+49 89 5550 1234', 'München',   'DE', 30000.00,  1, '2020-06-30 11:02:59.997', 'Invoices in EUR, "bitte per Post"'),
    (4,  'Construtora Paulista',           'João Silva',      'compras@paulista.example',    '+55 11 5555 0199', 'São Paulo', 'BR', 22000.50,  1, '2021-03-11 08:00:00.5',   ''),
    (5,  '東京建設株式会社',                   '田中 花子',          'tanaka@tokyo-kensetsu.example', '+81 3 5555 0100', '東京',       'JP', 80000.00,  1, '2021-09-09 02:30:45.25',  'Orders placed overnight (JST)'),
    (6,  'Jones "The Scaffold" Ltd',       'Dai Jones',       'dai@jones.example',           '',                 'Cardiff',   'GB', NULL,      0, '2018-12-01 12:00:00.0',   'Account closed 2023'),
    (7,  'Québec Outillage Inc.',          'Amélie Roy',      'amelie@qcoutillage.example',  '+1 418 555 0170',  'Québec',    'CA', 15000.00,  1, '2022-02-28 23:59:59.999', NULL),
    (8,  'Zürcher Hochbau AG',             NULL,              'info@zh-hochbau.example',     '+41 44 555 01 23', 'Zürich',    'CH', 45000.00,  1, '2022-07-04 07:07:07.007', NULL),
    (9,  'Walk-in customer',               NULL,              NULL,                          NULL,               NULL,        NULL, 0.00,      1, '2018-01-01 00:00:00.0',   NULL),
    (10, 'Åsa''s Renovering AB',           'Åsa Lindqvist',   'asa@renovering.example',      '+46 8 555 012 34', 'Göteborg',  'SE', 5000.00,   1, '2023-05-17 10:10:10.1',   'Prefers email; no calls before 9');

CREATE TABLE products (
    prod_id      INTEGER       NOT NULL PRIMARY KEY,
    sku          CHAR(10)      NOT NULL,
    name         VARCHAR(60)   NOT NULL,
    description  TEXT,
    unit_price   DECIMAL(10,2) NOT NULL,
    weight_kg    REAL,
    in_stock     SMALLINT      NOT NULL,
    discontinued BOOLEAN       NOT NULL,
    added_on     DATE,
    picture      BLOB
);

INSERT INTO products VALUES
    (100, 'NL-HAM-001', 'Claw hammer 16 oz',            'Forged steel head, fibreglass handle.',              14.99,  0.68,   120, 0, '2019-03-01', X'89504E470D0A1A0A0000000D49484452000000080000000808020000004B6D29DC000000114944415478DA637856A78415310C2D09004A0261814C38B6CC0000000049454E44AE426082'),
    (101, 'NL-WRN-012', '12" pipe wrench',              'Adjustable jaw; the "Stillson" pattern.',            27.50,  1.2,    45,  0, '2019-03-01', NULL),
    (102, 'NL-LVL-060', 'Spirit level 600 mm',          NULL,                                                 19.00,  0.45,   80,  0, '2019-05-20', X''),
    (103, 'NL-HLM-WHT', 'Safety helmet, white',         'EN 397. Größe/size 53–63 cm.',                       11.25,  0.35,   300, 0, '2020-01-10', NULL),
    (104, 'NL-GLV-L',   'Work gloves (L), pair',        '',                                                   4.80,   0.1,    0,   0, '2020-01-10', NULL),
    (105, 'NL-DRL-18V', 'Cordless drill 18 V',          'Two batteries, charger & case.',                     129.00, 1.85,   12,  0, '2021-06-01', X'89504E470D0A1A0A0000000D49484452000000080000000808020000004B6D29DC000000114944415478DA63D06B3B8815310C2D09004B245D417E0709B30000000049454E44AE426082'),
    (106, 'NL-TAP-5M',  'Tape measure 5 m',             'Metric & imperial.',                                 8.40,   0.2,    210, 0, '2019-03-01', NULL),
    (107, 'NL-SCF-TWR', 'Scaffold tower 4.2 m',         NULL,                                                 845.00, 62.5,   3,   0, '2022-04-01', NULL),
    (108, 'NL-SAW-OLD', 'Hand saw (old pattern)',       'Replaced by NL-SAW-550.',                            9.99,   NULL,   0,   1, '2015-02-02', NULL),
    -- A long description: 600 copies of one sentence, 35,400 characters,
    -- more than the 32 KB an ASE server sends of a TEXT value by default.
    (109, 'NL-MAN-TOC', 'Site safety manual',
          replace(hex(zeroblob(600)), '00', 'Keep all walkways clear; report damaged equipment at once. '),
                                                                                                                  35.00,  0.9,    40,  0, '2024-01-15', NULL);

CREATE TABLE orders (
    order_id     INTEGER       NOT NULL PRIMARY KEY,
    cust_id      INTEGER       NOT NULL,
    order_date   DATE          NOT NULL,
    ship_by      TIME,
    shipped_at   DATETIME,
    status       VARCHAR(12)   NOT NULL,
    total        DECIMAL(12,2),
    comment      VARCHAR(255)
);

INSERT INTO orders VALUES
    (5001, 1,  '2024-09-02', '16:00:00', '2024-09-03 08:12:45.333', 'shipped',   449.70,  NULL),
    (5002, 3,  '2024-09-05', '12:00:00', '2024-09-06 10:00:00.0',   'shipped',   1290.00, 'Lieferung an Baustelle Nord'),
    (5003, 5,  '2024-09-05', NULL,       NULL,                      'cancelled', 0.00,    '東京 office: duplicate order'),
    (5004, 2,  '2024-09-10', '17:30:00', '2024-09-11 15:45:10.5',   'shipped',   82.40,   ''),
    (5005, 4,  '2024-09-18', '10:00:00', '2024-09-20 09:30:00.125', 'shipped',   2535.00, 'Frete: São Paulo depot'),
    (5006, 7,  '2024-10-01', '15:00:00', NULL,                      'backorder', 129.00,  'Waiting for "NL-DRL-18V"'),
    (5007, 10, '2024-10-03', '09:00:00', '2024-10-03 14:20:00.75',  'shipped',   57.60,   NULL),
    (5008, 8,  '2024-10-15', '11:00:00', '2024-10-16 07:59:59.999', 'shipped',   845.00,  NULL),
    (5009, 1,  '2024-11-04', '16:00:00', NULL,                      'open',      NULL,    'Quote requested by O''Brien'),
    (5010, 9,  '2024-11-20', NULL,       '2024-11-20 13:05:00.0',   'shipped',   14.99,   'Cash sale');

CREATE TABLE order_items (
    order_id     INTEGER       NOT NULL,
    line_no      SMALLINT      NOT NULL,
    prod_id      INTEGER       NOT NULL,
    quantity     INTEGER       NOT NULL,
    unit_price   DECIMAL(10,2) NOT NULL,
    discount     DOUBLE,
    PRIMARY KEY (order_id, line_no)
);

INSERT INTO order_items VALUES
    (5001, 1, 100, 10, 14.99,  0.0),
    (5001, 2, 103, 20, 11.25,  NULL),
    (5001, 3, 106, 10, 8.40,   0.05),
    (5002, 1, 105, 10, 129.00, 0.0),
    (5003, 1, 107, 1,  845.00, NULL),
    (5004, 1, 104, 5,  4.80,   0.0),
    (5004, 2, 100, 4,  14.99,  0.0),
    (5005, 1, 107, 3,  845.00, 0.0),
    (5006, 1, 105, 1,  129.00, NULL),
    (5007, 1, 104, 12, 4.80,   0.0),
    (5008, 1, 107, 1,  845.00, 0.0),
    (5010, 1, 100, 1,  14.99,  0.0);

-- A table name with capitals and a space.
CREATE TABLE "Orders audit" (
    audit_id     BIGINT        NOT NULL PRIMARY KEY,
    order_id     INTEGER       NOT NULL,
    changed_by   VARCHAR(30)   NOT NULL,
    changed_at   DATETIME      NOT NULL,
    old_status   VARCHAR(12),
    new_status   VARCHAR(12)   NOT NULL,
    detail       TEXT
);

INSERT INTO "Orders audit" VALUES
    (9007199254740993, 5001, 'web',        '2024-09-02 10:00:00.000',    NULL,        'open',      'Created online'),
    (9007199254740994, 5001, 'd.jones',    '2024-09-03 08:12:45.333',    'open',      'shipped',   NULL),
    (9007199254740995, 5003, 'h.tanaka',   '2024-09-05 02:31:00.5',      'open',      'cancelled', '重複注文 (duplicate)'),
    (9007199254740996, 5006, 'web',        '2024-10-01 12:00:00.0',      NULL,        'open',      ''),
    (9007199254740997, 5006, 'a.roy',      '2024-10-02 09:15:30.25',     'open',      'backorder', 'Supplier said "two weeks"'),
    (9007199254740998, 5009, 'm.o''neill', '2024-11-04 16:45:12.123456', NULL,        'open',      'Phone order');

-- An application log whose name holds "Sys": Velmarch hides every ASE table
-- whose name contains SYS in any case, as it does the server's own tables.
CREATE TABLE MySysLog (
    log_id       INTEGER       NOT NULL PRIMARY KEY,
    logged_at    DATETIME      NOT NULL,
    level        VARCHAR(8)    NOT NULL,
    message      TEXT
);

INSERT INTO MySysLog VALUES
    (1, '2024-11-29 00:00:01.001', 'INFO',  'Nightly stock sync started'),
    (2, '2024-11-29 00:03:17.42',  'WARN',  'SKU NL-SAW-OLD has no weight'),
    (3, '2024-11-29 00:03:18.0',   'INFO',  'Nightly stock sync finished');

-- A view: listed by the database, but not a table, so Velmarch leaves it out.
CREATE VIEW customer_orders_v AS
    SELECT c.cust_id, c.name, c.city, o.order_id, o.order_date, o.status, o.total
    FROM customers c JOIN orders o ON o.cust_id = c.cust_id;

COMMIT;
