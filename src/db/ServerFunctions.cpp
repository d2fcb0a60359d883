#include "db/ServerFunctions.h"

namespace db {

namespace {

// Most functions are single SQL expressions, which the server folds into the statement that calls
// them (the catalogue's sort key runs on every row). A bad argument raises an error through
// tavrin_fail, whose message follows the file engine's.
const char *const kFunctions[] = {
    R"SQL(create function tavrin_fail(message text, kind anyelement) returns anyelement
language plpgsql stable as $$ begin raise exception '%', message using errcode = '22023'; end $$)SQL",

    // clng: round half to even into a 32-bit whole number; a text must read as a number.
    R"SQL(create function clng(text) returns bigint language sql stable as
$$ select $1::float8::integer::bigint $$)SQL",
    R"SQL(create function clng(double precision) returns bigint language sql stable as
$$ select $1::integer::bigint $$)SQL",

    R"SQL(create function tavrin_start(fn text, start bigint) returns integer language sql stable as
$$ select case when $2 < 1 then tavrin_fail($1 || ': invalid start ' || $2, 0) else $2::integer end $$)SQL",
    // mid: a length past the end gives the rest; a start past the end gives an empty text.
    R"SQL(create function mid(text, bigint, bigint) returns text language sql stable as
$$ select substr($1, tavrin_start('mid', $2), $3::integer) $$)SQL",
    R"SQL(create function mid(text, bigint) returns text language sql stable as
$$ select substr($1, tavrin_start('mid', $2)) $$)SQL",

    // instr with two arguments ignores letter case; with four, compare mode 0 is binary.
    R"SQL(create function instr(text, text) returns integer language sql stable as
$$ select strpos(lower($1 collate "und-x-icu"), lower($2 collate "und-x-icu")) $$)SQL",
    R"SQL(create function tavrin_found(pos integer, start integer) returns integer language sql stable as
$$ select case when $1 > 0 then $1 + $2 - 1 else 0 end $$)SQL",
    R"SQL(create function instr(bigint, text, text, bigint) returns integer language sql stable as
$$ select case
  when $1 < 1 then tavrin_fail('instr: invalid start ' || $1, 0)
  when $1 > length($2) then case when $3 = '' and $1 = length($2) + 1 then $1::integer else 0 end
  when $4 = 0 then tavrin_found(strpos(substr($2, $1::integer), $3), $1::integer)
  else tavrin_found(strpos(lower(substr($2, $1::integer) collate "und-x-icu"), lower($3 collate "und-x-icu")),
                    $1::integer)
end $$)SQL",

    R"SQL(create function len(text) returns integer language sql stable as $$ select length($1) $$)SQL",
    R"SQL(create function lcase(text) returns text language sql stable as
$$ select lower($1 collate "und-x-icu") collate "C" $$)SQL",

    // The date forms cdate reads: yyyy-M-d, yyyy/M/d, yyyy.M.d, yyyy年M月d日 (a time may follow), and
    // the month-day forms M-d, M/d, M月d日 in the processing year (the session's tavrin.work_year).
    // Gives the canonical yyyy-MM-dd, or null when the text is no valid date.
    R"SQL(create function tavrin_canonical_date(t text) returns text language plpgsql stable as $$
declare
  ws constant text := '[ \t\n\r\f\v]*';
  parts text[];
  y integer;
  m integer;
  d integer;
begin
  parts := regexp_match(t, '^([0-9]{4})-([0-9]{2})-([0-9]{2})$');
  if parts is null then
    parts := regexp_match(t, '^' || ws || '([0-9]{4})' || ws || '(?:[-/.]|年)' || ws || '([0-9]{1,2})' || ws
      || '(?:[-/.]|月)' || ws || '([0-9]{1,2})' || ws
      || '日?(?:[ T][0-9]{1,2}:[0-9]{2}(?::[0-9]{2}(?:\.[0-9]+)?)?)?' || ws || '$');
  end if;
  if parts is null then
    parts := regexp_match(t, '^' || ws || '([0-9]{1,2})' || ws || '(?:[-/.]|月)' || ws || '([0-9]{1,2})' || ws
      || '日?' || ws || '$');
    if parts is null then
      return null;
    end if;
    y := coalesce(nullif(current_setting('tavrin.work_year', true), '')::integer, 0);
    if y <= 0 then
      y := extract(year from current_date)::integer;
    end if;
    parts := array[y::text, parts[1], parts[2]];
  end if;
  y := parts[1]::integer;
  m := parts[2]::integer;
  d := parts[3]::integer;
  if y < 1 or m < 1 or m > 12 or d < 1
     or d > extract(day from make_date(y, m, 1) + interval '1 month' - interval '1 day') then
    return null;
  end if;
  return lpad(y::text, 4, '0') || '-' || lpad(m::text, 2, '0') || '-' || lpad(d::text, 2, '0');
end $$)SQL",
    R"SQL(create function tavrin_date(fn text, t text) returns text language plpgsql stable as $$
declare
  v text := tavrin_canonical_date(t);
begin
  if t is not null and v is null then
    raise exception '%: ''%'' is not a date', fn, t using errcode = '22007';
  end if;
  return v;
end $$)SQL",
    R"SQL(create function cdate(text) returns text language sql stable as
$$ select tavrin_date('cdate', $1) $$)SQL",
    R"SQL(create function month(text) returns integer language sql stable as
$$ select substr(tavrin_date('month', $1), 6, 2)::integer $$)SQL",
    R"SQL(create function day(text) returns integer language sql stable as
$$ select substr(tavrin_date('day', $1), 9, 2)::integer $$)SQL",
};

} // namespace

QStringList serverFunctionStatements()
{
    QStringList statements;
    for (const char *statement : kFunctions)
        statements << QString::fromUtf8(statement);
    return statements;
}

} // namespace db
