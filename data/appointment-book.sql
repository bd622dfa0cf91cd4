-- The appointment book. Start is the salon's wall-clock time, 'YYYY-MM-DD HH:MM'; Changed is
-- UTC as ISO text ('YYYY-MM-DDTHH:MM:SSZ'). Booked, arrived and done appointments hold their
-- technician from Start for Minutes plus Buffer; cancelled and no-show ones keep their rows and
-- hold nothing.
CREATE TABLE Appointments (
    AppointmentID INTEGER PRIMARY KEY AUTOINCREMENT, UID TEXT NOT NULL UNIQUE,
    EmployeeID INTEGER NOT NULL, CustomerID INTEGER,
    Start TIMESTAMP NOT NULL CHECK (strftime('%Y-%m-%d %H:%M', Start) IS Start),
    Minutes INTEGER NOT NULL CHECK (Minutes BETWEEN 5 AND 720),
    Buffer INTEGER NOT NULL DEFAULT 0 CHECK (Buffer BETWEEN 0 AND 120),
    Status TEXT NOT NULL DEFAULT 'booked' CHECK (Status IN ('booked', 'arrived', 'done', 'cancelled', 'no-show')),
    Notes TEXT, Sequence INTEGER NOT NULL DEFAULT 0, Changed TEXT);
CREATE INDEX "Appointments.Start" ON Appointments (Start);
CREATE INDEX "Appointments.EmployeeID" ON Appointments (EmployeeID, Start);
CREATE INDEX "Appointments.CustomerID" ON Appointments (CustomerID);
-- A technician is never booked twice. The times are all of one form, so they compare as text;
-- an appointment holds at most 720 + 120 minutes, which bounds the search.
CREATE TRIGGER "Appointments.NoOverlapOnInsert" BEFORE INSERT ON Appointments
WHEN NEW.Status IN ('booked', 'arrived', 'done') AND EXISTS (
    SELECT 1 FROM Appointments a
    WHERE a.EmployeeID = NEW.EmployeeID AND a.Status IN ('booked', 'arrived', 'done')
      AND a.Start >= strftime('%Y-%m-%d %H:%M', NEW.Start, '-840 minutes')
      AND a.Start < strftime('%Y-%m-%d %H:%M', NEW.Start, '+' || (NEW.Minutes + NEW.Buffer) || ' minutes')
      AND strftime('%Y-%m-%d %H:%M', a.Start, '+' || (a.Minutes + a.Buffer) || ' minutes') > NEW.Start)
BEGIN
    SELECT RAISE(ABORT, 'The technician already has an appointment at that time.');
END;
CREATE TRIGGER "Appointments.NoOverlapOnUpdate" BEFORE UPDATE ON Appointments
WHEN NEW.Status IN ('booked', 'arrived', 'done') AND EXISTS (
    SELECT 1 FROM Appointments a
    WHERE a.EmployeeID = NEW.EmployeeID AND a.Status IN ('booked', 'arrived', 'done')
      AND a.AppointmentID <> OLD.AppointmentID
      AND a.Start >= strftime('%Y-%m-%d %H:%M', NEW.Start, '-840 minutes')
      AND a.Start < strftime('%Y-%m-%d %H:%M', NEW.Start, '+' || (NEW.Minutes + NEW.Buffer) || ' minutes')
      AND strftime('%Y-%m-%d %H:%M', a.Start, '+' || (a.Minutes + a.Buffer) || ' minutes') > NEW.Start)
BEGIN
    SELECT RAISE(ABORT, 'The technician already has an appointment at that time.');
END;

-- An appointment's services as they were booked: one visit may hold several.
CREATE TABLE "Appointment Services" (
    AppointmentID INTEGER NOT NULL, ServiceID INTEGER, ServiceName TEXT, Minutes INTEGER);
CREATE INDEX "Appointment Services.AppointmentID" ON "Appointment Services" (AppointmentID);

-- The salon's hours by weekday (1 is Monday, 7 Sunday), 'HH:MM'; a weekday whose hours are
-- empty is a closed day, one without a row has no hours set.
CREATE TABLE "Opening Hours" (
    Weekday INTEGER NOT NULL UNIQUE CHECK (Weekday BETWEEN 1 AND 7), Opens TEXT, Closes TEXT,
    CHECK ((Opens IS NULL) = (Closes IS NULL) AND (Opens IS NULL OR Opens < Closes)));

-- The days ('YYYY-MM-DD') a technician does not work.
CREATE TABLE "Days Off" (EmployeeID INTEGER NOT NULL, Day DATETIME NOT NULL, UNIQUE (EmployeeID, Day));
