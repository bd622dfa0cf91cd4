-- The salon's books. Column types name what the program reads and writes:
-- CURRENCY is money with four decimals, SINGLE a single-precision rate, DATETIME a date
-- stored as ISO text. Indexes are named "<table>.<index>" because index names are shared
-- by the whole file. This is the book at its current version; older books are brought up to
-- it by the upgrade steps in the program, which add the same tables, columns and indexes.
CREATE TABLE Employee (
    EmployeeID INTEGER, Prefix TEXT, FirstName TEXT, MiddleName TEXT, LastName TEXT,
    SSecurity TEXT, Address TEXT, City TEXT, State TEXT, Zip TEXT, Phone TEXT, License TEXT,
    Birthdate TEXT, DateHired TEXT, DateQuit TEXT, EmrgcyName TEXT, EmrgcyPhone TEXT,
    Notes TEXT, password TEXT, SubTotal CURRENCY, Total CURRENCY, SalesTaxRate SINGLE);
CREATE INDEX "Employee.Lastname" ON Employee (LastName COLLATE NOCASE);

CREATE TABLE "Payroll Records" (
    RecordID INTEGER PRIMARY KEY AUTOINCREMENT, EmployeeID INTEGER, ServiceDate DATETIME,
    TodayEarn CURRENCY, ToDateEarn CURRENCY, "50ByMonth" CURRENCY, "50ByTotal" CURRENCY,
    "60ByMonth" CURRENCY, "60ByTotal" CURRENCY);
CREATE INDEX "Payroll Records.EmployeeID" ON "Payroll Records" (EmployeeID);

CREATE TABLE Customers (
    CustomerID INTEGER, Prefix TEXT, FirstName TEXT, MiddleName TEXT, LastName TEXT,
    Suffix TEXT, Line1 TEXT, Line2 TEXT, City TEXT, State TEXT, Zip TEXT, HomePhone TEXT,
    FaxNumber TEXT, Pager TEXT, Email TEXT, Notes TEXT, ServiceDate TEXT);
CREATE INDEX "Customers.LastName" ON Customers (LastName COLLATE NOCASE);
CREATE INDEX "Customers.CustomerID" ON Customers (CustomerID);
-- The customer name search compares this expression; it must stay the same text as there.
CREATE INDEX "Customers.Name" ON Customers (
    trim(ifnull(FirstName, '') || ' ' || ifnull(LastName, ''), ' ' || char(9) || char(10) || char(13)) COLLATE NOCASE);

CREATE TABLE "Service Records" (
    ServiceID INTEGER PRIMARY KEY AUTOINCREMENT, CustomerID INTEGER, EmployeeID INTEGER,
    ServiceDate DATETIME, NameOfService TEXT, Quantity INTEGER, Cost CURRENCY, Count INTEGER, SalesTax CURRENCY);
CREATE INDEX "Service Records.CustomerID" ON "Service Records" (CustomerID);
CREATE INDEX "Service Records.ServiceDate" ON "Service Records" (ServiceDate);
CREATE INDEX "Service Records.EmployeeID" ON "Service Records" (EmployeeID);

CREATE TABLE Products (
    ServiceID INTEGER, ServiceName TEXT, UnitPrice CURRENCY, Quantity INTEGER,
    Discount DOUBLE, SalePrice CURRENCY, Minutes INTEGER DEFAULT 30);

CREATE TABLE Suppliers (
    SupplierID TEXT, SupplierName TEXT, ContactTitle TEXT, ContactName TEXT, Address TEXT,
    City TEXT, State TEXT, Zip TEXT, Country TEXT, Phone TEXT, Fax TEXT, Email TEXT, Notes TEXT);

CREATE TABLE Misc (
    password TEXT, Name TEXT, Company TEXT, Address TEXT, City TEXT, State TEXT, Zip TEXT,
    Phone TEXT, count SMALLINT, ChangeCount INTEGER, ChangeDate DATETIME, MyNumber INTEGER);

-- The appointment book's tables follow in appointment-book.sql, which an older book's upgrade
-- runs as well.
