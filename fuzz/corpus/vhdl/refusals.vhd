#!entity m is port (terminal t : electrical; quantity q : in real); end;
