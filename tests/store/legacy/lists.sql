-- Lists, settings, groups and register of a site that used the earlier release. The
-- register version table stays empty.

-- A parent item with its group member (SZULO_ID and CSOPORT_ID), a number-less row and
-- an item whose organisation code was never filled in.
INSERT INTO B2 VALUES (1, '123/2012-1', 2, 'Legfőbb Ügyészség', 1, 1, '100200', 1, 0, 5, 0);
INSERT INTO B2 VALUES (1, '124/2012-1', 2, 'Legfőbb Ügyészség', 1, 1, '100200', 1, 5, 8, 3);
INSERT INTO B2 VALUES (1, '', 6, '', 3, 2, '', 3, 0, 9, 0);
INSERT INTO B2 VALUES (2, 'Ügyirat/ŐŰ-7', 5, 'Külügyminisztérium', 2, 1, NULL, 2, 0, 14, 0);
INSERT INTO B2NATO VALUES (1, 'NATO/45-2', 0, 'Győri Honvéd Kiegészítő Parancsnokság', 0, 1, '300300', 1, 0, 3, 0);
INSERT INTO B2ZSAK VALUES (3, 'Árvíztűrő tükörfúrógép', 3, 'Pécsi Törvényszék', 1, 1, '400400', 1, 0, 40, 0);
INSERT INTO BZS3 VALUES (1, '77/2011', 1, 'Legfőbb Ügyészség', 1, 1, '100200', 1, 0, 12, 0);
INSERT INTO BZS3NATO VALUES (1, 'ÉÁÍÓÖÚÜ', 0, 'Őrség', 0, 1, '500500', 1, 0, 7, 0);

-- A printed list whose count of prints was never recorded, and lists not printed yet.
INSERT INTO B2_ADATOK VALUES (1, 'Legfőbb Ügyészség', '2012-10-16 14:05:33', NULL);
INSERT INTO B2_ADATOK VALUES (2, 'Külügyminisztérium', NULL, NULL);
INSERT INTO B2NATO_ADATOK VALUES (1, 'Győri Honvéd Kiegészítő Parancsnokság', '2011-05-02 08:00:00', 2);
INSERT INTO B2ZSAK_ADATOK VALUES (3, 'Pécsi Törvényszék', NULL, NULL);
INSERT INTO BZS3_ADATOK VALUES (1, 'Legfőbb Ügyészség', '2011-12-31 23:59:59', 1);
INSERT INTO BZS3NATO_ADATOK VALUES (1, 'Őrség', NULL, NULL);

INSERT INTO BEALLITASOK VALUES ('Őrző Szolgálat', '100100', 2, 1, 'Belügyminisztérium', '200200', 10, 11, 12, 13, 14, 15, 16, 17);

INSERT INTO CSOPORTOS VALUES (3, '124/2012-1');
INSERT INTO CSOPORTOS VALUES (4, 'tűzőgép');

INSERT INTO SZERVEK VALUES ('100200', 'Legfőbb Ügyészség', 'LÜ', 'Markó u. 16.', '06-1-111-1111', '1055', 'Budapest', 'Budapest, Markó u. 16.');
INSERT INTO SZERVEK VALUES ('200200', 'Belügyminisztérium', NULL, NULL, NULL, '1051', 'Budapest', NULL);
INSERT INTO SZERVEK VALUES ('300300', 'Győri Honvéd Kiegészítő Parancsnokság', 'GyHKP', NULL, NULL, '9021', 'Győr', NULL);

COMMIT;
