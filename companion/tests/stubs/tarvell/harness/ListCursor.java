package tarvell.harness;

import android.database.Cursor;
import java.util.List;

/** Rows of values (String, Long or null) under named columns. */
public final class ListCursor implements Cursor {
    private final List<Object[]> rows;
    private int position = -1;

    public ListCursor(List<Object[]> rows) {
        this.rows = rows;
    }

    public int getCount() {
        return rows.size();
    }

    public boolean moveToPosition(int p) {
        if (p < 0) {
            position = -1;
            return false;
        }
        position = Math.min(p, rows.size());
        return position < rows.size();
    }

    public boolean moveToFirst() {
        return moveToPosition(0);
    }

    public boolean moveToNext() {
        return moveToPosition(position + 1);
    }

    private Object at(int column) {
        if (position < 0 || position >= rows.size())
            throw new IllegalStateException("cursor is not on a row");
        Object[] row = rows.get(position);
        if (column < 0 || column >= row.length)
            throw new IllegalArgumentException("no column " + column);
        return row[column];
    }

    public boolean isNull(int column) {
        return at(column) == null;
    }

    public String getString(int column) {
        Object v = at(column);
        return v == null ? null : v.toString();
    }

    public long getLong(int column) {
        Object v = at(column);
        if (v == null) return 0;
        try {
            return Long.parseLong(v.toString());
        } catch (NumberFormatException e) {
            return 0; // as SQLite reads text that is no number
        }
    }

    public int getInt(int column) {
        return (int) getLong(column);
    }

    public void close() {}
}
