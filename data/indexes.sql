-- Indexes a patient-administration database normally has; the statements do
-- not need them, but without them every run sorts and joins the whole table.
CREATE INDEX IF NOT EXISTS pregledi1_data ON PREGLEDI1 (DATA);
CREATE INDEX IF NOT EXISTS osigurenici_mb ON osigurenici (MB);
