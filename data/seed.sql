-- The settings row of a new salon: owner details still to be asked, the initial shop password.
INSERT INTO Misc (password, Name, Company, Address, City, State, Zip, Phone, count, ChangeCount, ChangeDate, MyNumber)
VALUES ('salon', '', '', '', '', '', '', '', 1, 0, date('now', 'localtime'), 0);
