-- The tables of the patient-administration database that Tarel reads, in
-- their SQLite form. Tarel never writes them; the demo-database tool and the
-- tests create them from this file.
--
-- Dates are ISO text 'YYYY-MM-DD'; booleans are 0 or 1; any column may be
-- NULL. A NULL text reads as the empty text, a NULL or empty date as day 0
-- (30 December 1899). A visit (PREGLEDI1) joins its insured person
-- (osigurenici) on MB; a person listed twice doubles the visit, a visit
-- whose MB matches nobody is not selected.

CREATE TABLE PREGLEDI1 (RED_BR INTEGER, MB TEXT, PRE TEXT, TIME TEXT, IME TEXT, LEKAR_S TEXT, RO_S TEXT,
  S_DIJA TEXT, S_USLUGA TEXT, VidNaUsluga TEXT, DATA DATE, S_DIJA2 TEXT);
CREATE TABLE osigurenici (MB TEXT, ZDR_LEG TEXT, OPS_S TEXT, ZB TEXT, CLEN TEXT, PRE TEXT, TIME TEXT, IME TEXT,
  DAT_R DATE, MESTO_R_S INTEGER, OPRE TEXT, OIME TEXT, OSNOV TEXT, MB_O TEXT, ADRESA TEXT, MESTO_S INTEGER,
  TELEFON TEXT, RO_S TEXT, DEJNOST TEXT, LEKAR_S TEXT, BR_PRI TEXT, DATA_PRI DATE, BR_ODJ TEXT, DATA_ODJ DATE,
  KARTON TEXT, UCEN_30 BOOLEAN, UCEN_70 BOOLEAN, PUSAC BOOLEAN, ALKOHOLICAR BOOLEAN, SOSTOJBA TEXT, DATA_SOST DATE);
CREATE TABLE Lekari (lekar_s TEXT, pre TEXT, ime TEXT, ops_s TEXT, aktiven BOOLEAN);
CREATE TABLE PZO (naziv TEXT, REG_BROJ TEXT, MB_STATISTIKA TEXT, ADRESA TEXT, MESTO TEXT, DAN_BROJ TEXT,
  DEPONENT TEXT, ZIRO TEXT, TELEFON TEXT, KOEF_ODDAL_PR INTEGER, OPS_S TEXT);
