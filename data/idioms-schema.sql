CREATE TABLE Idiom (Phrase TEXT);
