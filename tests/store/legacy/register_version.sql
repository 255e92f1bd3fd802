-- The version stamp of the register file the earlier release loaded last.
INSERT INTO SZERVEK_VERZIO VALUES ('2012-09-01 10:30:00');
COMMIT;
