-- The check-writing product's database as the splitter sees it, for tests
-- and demonstrations. Texts are single-byte (latin1, the system code page).
-- Account IDs use a binary collation so that the server, too, tells A100
-- from a100; the splitter's lookups decide letter case on their own anyway.

CREATE DATABASE dizirozered CHARACTER SET latin1 COLLATE latin1_swedish_ci;
USE dizirozered;

-- One row per known account.
CREATE TABLE VEZAcnts (
  AccountId VARCHAR(32) COLLATE latin1_bin NOT NULL PRIMARY KEY,
  AccountName VARCHAR(80) NOT NULL DEFAULT ''
);

-- One row per account and document kind ("AP", "PR", "OT") that has a
-- document definition.
CREATE TABLE AccForms (
  AccountID VARCHAR(32) COLLATE latin1_bin NOT NULL,
  Action CHAR(2) COLLATE latin1_bin NOT NULL,
  FormName VARCHAR(80) NOT NULL DEFAULT '',
  PRIMARY KEY (AccountID, Action)
);

-- Which product users may print for which account.
CREATE TABLE UserAcct (
  UserName VARCHAR(32) NOT NULL,
  AccountId VARCHAR(32) COLLATE latin1_bin NOT NULL,
  PRIMARY KEY (UserName, AccountId)
);

-- The product's settings by name.
CREATE TABLE configuration (
  identifier VARCHAR(64) NOT NULL PRIMARY KEY,
  data VARCHAR(255) NOT NULL DEFAULT ''
);

INSERT INTO VEZAcnts (AccountId, AccountName) VALUES
  ('A100', 'Operating account'),
  ('B200', 'Payroll account'),
  ('C300', 'Vendor refunds');

INSERT INTO AccForms (AccountID, Action, FormName) VALUES
  ('A100', 'AP', 'Standard check'),
  ('B200', 'AP', 'Standard check'),
  ('B200', 'PR', 'Payroll check'),
  ('C300', 'OT', 'Refund voucher');

INSERT INTO UserAcct (UserName, AccountId) VALUES
  ('clerk', 'A100'),
  ('clerk', 'B200');

INSERT INTO configuration (identifier, data) VALUES
  ('LatePreProcess', 'False');

-- The splitter's login: it reads everything and changes only settings.
CREATE USER 'duredo'@'localhost' IDENTIFIED BY '7QWRT';
CREATE USER 'duredo'@'127.0.0.1' IDENTIFIED BY '7QWRT';
CREATE USER 'duredo'@'%' IDENTIFIED BY '7QWRT';
GRANT SELECT ON dizirozered.* TO 'duredo'@'localhost', 'duredo'@'127.0.0.1', 'duredo'@'%';
GRANT UPDATE ON dizirozered.configuration TO 'duredo'@'localhost', 'duredo'@'127.0.0.1', 'duredo'@'%';
