-- A database whose only rows are list headers of B2_ADATOK.
INSERT INTO B2_ADATOK VALUES (7, 'Címzett Őrs', '2011-05-02 08:00:00', NULL);
INSERT INTO B2_ADATOK VALUES (8, 'Második Ügyfél', NULL, 3);
COMMIT;
