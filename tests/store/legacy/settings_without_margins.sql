-- The settings of a release older still, before the margins of the second copy existed.
ALTER TABLE BEALLITASOK DROP FELSO_T, DROP ALSO_T, DROP JOBB_T, DROP BAL_T;
COMMIT;
